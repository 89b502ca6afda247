// The configuration area of the main window: every editing control of the configuration
// record under its own object name, the MAC label and the status grid. The editing rules live
// in ConfigEditor; this class builds the widgets, adapts them and lays them out.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "config/ConfigEditor.h"

class QMessageBox;

namespace zorva {

class StatusGrid;

class ConfigPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 869;
    static constexpr int kHeight = 289;

    // The records and the link must outlive the panel. Captions are taken from the language
    // text table in force; the fields show nothing of the records until ShowConfig.
    ConfigPanel(ConfigRecord& record, const NetworkRecord& network, EditorLink& link,
                QWidget* parent = nullptr);
    ~ConfigPanel() override;

    // The refresh: copies both records into all fields.
    void ShowConfig();
    // (Re)applies every caption from the language text table, with its suffix.
    void ApplyLanguageTexts();
    // The MAC label's greyed look while no module answers.
    void ShowMacLabelGreyed();

    StatusGrid* statusGrid() const { return grid_; }
    ConfigEditor& editor() { return *editor_; }

    // Replaces the default report of a value that does not fit its record byte (a message box
    // "Range check error", opened without a nested event loop, one at a time).
    void SetRangeErrorHandler(std::function<void()> handler);

private:
    void ShowRangeError();

    StatusGrid* grid_ = nullptr;
    std::vector<std::unique_ptr<Field>> fields_;
    std::unique_ptr<LabelField> macLabel_;
    std::unique_ptr<ConfigEditor> editor_;
    QPointer<QMessageBox> rangeErrorBox_;
};

} // namespace zorva
