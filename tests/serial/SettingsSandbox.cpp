// Points the per-user settings store at a private temporary folder before anything reads it,
// so that the tests neither see nor change the machine's settings. Static initialisation runs
// before main, and so before the first QSettings use.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class SettingsSandbox {
public:
    SettingsSandbox()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zorva-serial-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        dir_ = pattern;
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        ::setenv("HOME", dir_.c_str(), 1);
    }
    ~SettingsSandbox()
    {
        std::error_code ignored;
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_, ignored);
        }
    }

private:
    std::filesystem::path dir_;
};

const SettingsSandbox sandbox;

} // namespace
