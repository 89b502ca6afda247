#include "config/ui/ConfigPanel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/ui/FieldAdapters.h"
#include "config/ui/MaskedEdit.h"
#include "config/ui/PhoneEdit.h"
#include "config/ui/SpinEdit.h"
#include "config/ui/StatusGrid.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr int kSpacing = 3;
constexpr int kPhoneLength = 24;
const QString kIpMask = QStringLiteral("999.999.999.999");
const QString kIdMask = QStringLiteral("aaaaaaaa");

template <typename W, typename... Args> W* Make(const char* name, QWidget* parent, Args&&... args)
{
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(const char* name, QWidget* parent)
{
    return Make<QLabel>(name, parent);
}

SpinEdit* MakeSpin(const char* name, QWidget* parent, int minimum, int maximum, int maxLength = 0)
{
    auto* spin = Make<SpinEdit>(name, parent);
    spin->setRange(minimum, maximum);
    spin->setMaxLength(maxLength);
    spin->setText(QString::number(minimum));
    spin->setFixedWidth(spin->sizeHint().width());
    return spin;
}

MaskedEdit* MakeMasked(const char* name, QWidget* parent, const QString& mask, QChar blank)
{
    auto* edit = Make<MaskedEdit>(name, parent, mask, blank);
    // Fixed pitch keeps the right-aligned slots of an address in line.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(parent->font().pointSizeF());
    edit->setFont(fixed);
    edit->setFixedWidth(edit->sizeHint().width());
    return edit;
}

QGridLayout* Grid(QWidget* owner)
{
    auto* grid = new QGridLayout(owner);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(kSpacing);
    return grid;
}

template <typename W> W* Child(const QWidget* owner, const char* name)
{
    return owner->findChild<W*>(QString::fromLatin1(name));
}

} // namespace

ConfigPanel::ConfigPanel(ConfigRecord& record, const NetworkRecord& network, EditorLink& link,
                         QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel5"));
    setFixedSize(kWidth, kHeight);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    // Pictures: cameras, picture size and colour, picture counts.
    auto* cameras = Make<QGroupBox>("GroupBox2", this);
    auto* camerasRow = new QHBoxLayout(cameras);
    camerasRow->setContentsMargins(6, 2, 6, 4);
    std::array<QCheckBox*, 4> cameraBoxes{};
    const char* cameraNames[] = {"CB_k1", "CB_k2", "CB_k3", "CB_k4"};
    for (int i = 0; i < 4; ++i) {
        cameraBoxes[static_cast<std::size_t>(i)] =
            Make<QCheckBox>(cameraNames[i], cameras, QString(QChar(u'A' + i)));
        camerasRow->addWidget(cameraBoxes[static_cast<std::size_t>(i)]);
    }

    auto* picture = Make<QGroupBox>("GroupBox1", this);
    auto* pictureGrid = Grid(picture);
    pictureGrid->setContentsMargins(6, 2, 6, 4);
    auto* rb11 = Make<QRadioButton>("RB_11", picture, QStringLiteral("1/1"));
    auto* rb12 = Make<QRadioButton>("RB_12", picture, QStringLiteral("1/2"));
    auto* rb14 = Make<QRadioButton>("RB_14", picture, QStringLiteral("1/4"));
    auto* colour = Make<QCheckBox>("CB_kol", picture);
    pictureGrid->addWidget(rb11, 0, 0);
    pictureGrid->addWidget(rb12, 0, 1);
    pictureGrid->addWidget(rb14, 0, 2);
    pictureGrid->addWidget(colour, 1, 0, 1, 3);

    auto* counts = new QWidget(this);
    auto* countsGrid = Grid(counts);
    countsGrid->setContentsMargins(2, 0, 2, 0);
    auto* seDz = MakeSpin("SE_DZ", counts, 0, 999, 3);
    auto* sePz = MakeSpin("SE_PZ", counts, 0, 999, 3);
    countsGrid->addWidget(MakeLabel("Label1", counts), 0, 0, 1, 2);
    countsGrid->addWidget(seDz, 1, 0);
    countsGrid->addWidget(MakeLabel("Label2", counts), 1, 1);
    countsGrid->addWidget(MakeLabel("Label3", counts), 2, 0, 1, 2);
    countsGrid->addWidget(sePz, 3, 0);
    countsGrid->addWidget(MakeLabel("Label4", counts), 3, 1);
    countsGrid->setColumnStretch(1, 1);

    // The module.
    auto* module = Make<QGroupBox>("GroupBox3", this, QStringLiteral("ZORVA"));
    auto* moduleGrid = Grid(module);
    auto* meId = MakeMasked("ME_ID", module, kIdMask, u'_');
    auto* ePass = Make<QLineEdit>("E_pass", module);
    auto* dhcp = Make<QCheckBox>("CB_DHCP", module, QStringLiteral("DHCP"));
    auto* meVip = MakeMasked("ME_vip", module, kIpMask, u' ');
    auto* meVmask = MakeMasked("ME_vmask", module, kIpMask, u' ');
    auto* meVgate = MakeMasked("ME_vgate", module, kIpMask, u' ');
    auto* mac = MakeLabel("Label18", module);
    auto* srtc = Make<QCheckBox>("CB_SRTC", module);
    ePass->setFixedWidth(meVip->width());
    moduleGrid->addWidget(MakeLabel("Label7", module), 0, 0);
    moduleGrid->addWidget(meId, 0, 1);
    moduleGrid->addWidget(MakeLabel("Label15", module), 1, 0);
    moduleGrid->addWidget(ePass, 1, 1);
    moduleGrid->addWidget(dhcp, 2, 0, 1, 2);
    moduleGrid->addWidget(MakeLabel("Label5", module), 3, 0);
    moduleGrid->addWidget(meVip, 3, 1);
    moduleGrid->addWidget(MakeLabel("Label13", module), 4, 0);
    moduleGrid->addWidget(meVmask, 4, 1);
    moduleGrid->addWidget(MakeLabel("Label14", module), 5, 0);
    moduleGrid->addWidget(meVgate, 5, 1);
    moduleGrid->addWidget(mac, 6, 0, 1, 2);
    moduleGrid->addWidget(srtc, 7, 0, 1, 2);
    moduleGrid->setRowStretch(8, 1);

    // The monitoring station: the Ethernet path, the two modems and their shared settings.
    auto* station = Make<QGroupBox>("GroupBox4", this);
    auto* ethernet = Make<QGroupBox>("GB_eth", station);
    auto* ethGrid = Grid(ethernet);
    auto* et = Make<QCheckBox>("CB_ET", ethernet);
    auto* meSip = MakeMasked("ME_sip", ethernet, kIpMask, u' ');
    auto* sePs = MakeSpin("SE_PS", ethernet, 1, 65535, 5);
    auto* seNcp = MakeSpin("SE_NCP", ethernet, 0, 240);
    auto* seNmx = MakeSpin("SE_NMX", ethernet, 0, 20);
    auto* seTt = MakeSpin("SE_TT", ethernet, 0, 255);
    // Captions above their fields: the Ethernet column stays narrow enough for the modems.
    auto fieldWithUnit = [ethernet](QWidget* field, const char* unitName) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(field);
        if (unitName != nullptr) {
            row->addWidget(MakeLabel(unitName, ethernet));
        }
        row->addStretch(1);
        return row;
    };
    ethGrid->addWidget(et, 0, 0);
    ethGrid->addWidget(MakeLabel("Label8", ethernet), 1, 0);
    ethGrid->addWidget(meSip, 2, 0, Qt::AlignLeft);
    ethGrid->addWidget(MakeLabel("Label9", ethernet), 3, 0);
    ethGrid->addLayout(fieldWithUnit(sePs, nullptr), 4, 0);
    ethGrid->addWidget(MakeLabel("Label24", ethernet), 5, 0);
    ethGrid->addLayout(fieldWithUnit(seNcp, "Label28"), 6, 0);
    ethGrid->addWidget(MakeLabel("Label23", ethernet), 7, 0);
    ethGrid->addLayout(fieldWithUnit(seNmx, "Label25"), 8, 0);
    ethGrid->addWidget(MakeLabel("Label30", ethernet), 9, 0);
    ethGrid->addLayout(fieldWithUnit(seTt, "Label31"), 10, 0);
    ethGrid->setRowStretch(11, 1);
    ethGrid->setVerticalSpacing(1);

    auto modemBox = [station](const char* boxName, const char* checkName, const char* labelName,
                              const char* phoneName, const char* externalName) {
        auto* box = Make<QGroupBox>(boxName, station);
        auto* grid = Grid(box);
        auto* phone = Make<PhoneEdit>(phoneName, box);
        phone->setMaxLength(kPhoneLength);
        phone->setMinimumWidth(60);
        auto* external = Make<QCheckBox>(externalName, box);
        // The external-modem choice is not offered; the box exists for the record's bits.
        external->setVisible(false);
        grid->addWidget(Make<QCheckBox>(checkName, box), 0, 0, 1, 2);
        grid->addWidget(MakeLabel(labelName, box), 1, 0);
        grid->addWidget(phone, 1, 1);
        return box;
    };
    auto* modem1 = modemBox("GB_mdm1", "CB_MDM", "Label10", "Edit_tel", "CB_EX1");
    auto* modem2 = modemBox("GB_mdm2", "CB_MDM2", "Label22", "Edit_tel2", "CB_EX2");

    auto* modemLinks = Make<QGroupBox>("GroupBox6", station);
    auto* linksGrid = Grid(modemLinks);
    auto* seTcp = MakeSpin("SE_TCP", modemLinks, 0, 240);
    auto* seTmx = MakeSpin("SE_TMX", modemLinks, 0, 20);
    auto* sePowt = MakeSpin("SE_POWT", modemLinks, 0, 20);
    auto* seOz = MakeSpin("SE_OZ", modemLinks, 0, 240);
    linksGrid->addWidget(MakeLabel("Label20", modemLinks), 0, 0);
    linksGrid->addWidget(seTcp, 0, 1);
    linksGrid->addWidget(MakeLabel("Label29", modemLinks), 0, 2);
    linksGrid->addWidget(MakeLabel("Label21", modemLinks), 1, 0);
    linksGrid->addWidget(seTmx, 1, 1);
    linksGrid->addWidget(MakeLabel("Label26", modemLinks), 1, 2);
    linksGrid->addWidget(MakeLabel("Label11", modemLinks), 2, 0);
    linksGrid->addWidget(sePowt, 2, 1);
    linksGrid->addWidget(MakeLabel("Label19", modemLinks), 3, 0);
    linksGrid->addWidget(seOz, 3, 1);
    linksGrid->addWidget(MakeLabel("Label27", modemLinks), 3, 2);

    auto* stationGrid = Grid(station);
    stationGrid->addWidget(ethernet, 0, 0, 3, 1);
    stationGrid->addWidget(modem1, 0, 1);
    stationGrid->addWidget(modem2, 1, 1);
    stationGrid->addWidget(modemLinks, 2, 1);
    stationGrid->setRowStretch(2, 1);
    stationGrid->setColumnStretch(1, 1);
    stationGrid->setContentsMargins(4, 2, 4, 4);

    grid_ = Make<StatusGrid>("StringGrid1", this);

    // Left: pictures and module side by side above the status grid; right: the station.
    auto* pictures = new QVBoxLayout;
    pictures->setSpacing(kSpacing);
    pictures->addWidget(cameras);
    pictures->addWidget(picture);
    pictures->addWidget(counts);
    pictures->addStretch(1);
    auto* upperLeft = new QHBoxLayout;
    upperLeft->setSpacing(4);
    upperLeft->addLayout(pictures);
    upperLeft->addWidget(module);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addLayout(upperLeft, 1);
    left->addWidget(grid_);
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(4, 2, 4, 4);
    top->setSpacing(4);
    top->addLayout(left);
    top->addWidget(station, 1);

    // Adapters and rules.
    auto adapt = [this](auto* adapter) {
        fields_.emplace_back(adapter);
        return adapter;
    };
    EditorFields f;
    for (std::size_t i = 0; i < 4; ++i) {
        f.CB_k[i] = adapt(new CheckBoxAdapter(cameraBoxes[i]));
    }
    f.RB_size = adapt(new RadioGroupAdapter({rb11, rb12, rb14}));
    f.CB_kol = adapt(new CheckBoxAdapter(colour));
    f.SE_DZ = adapt(new SpinEditAdapter(seDz));
    f.SE_PZ = adapt(new SpinEditAdapter(sePz));
    f.ME_ID = adapt(new MaskedEditAdapter(meId));
    f.E_pass = adapt(new TextEditAdapter(ePass));
    f.CB_DHCP = adapt(new CheckBoxAdapter(dhcp));
    f.ME_vip = adapt(new MaskedEditAdapter(meVip));
    f.ME_vmask = adapt(new MaskedEditAdapter(meVmask));
    f.ME_vgate = adapt(new MaskedEditAdapter(meVgate));
    macLabel_ = std::make_unique<LabelAdapter>(mac);
    f.Label18 = macLabel_.get();
    f.CB_SRTC = adapt(new CheckBoxAdapter(srtc));
    f.CB_ET = adapt(new CheckBoxAdapter(et));
    f.ME_sip = adapt(new MaskedEditAdapter(meSip));
    f.SE_PS = adapt(new SpinEditAdapter(sePs));
    f.SE_NCP = adapt(new SpinEditAdapter(seNcp));
    f.SE_NMX = adapt(new SpinEditAdapter(seNmx));
    f.SE_TT = adapt(new SpinEditAdapter(seTt));
    f.CB_MDM = adapt(new CheckBoxAdapter(Child<QCheckBox>(modem1, "CB_MDM")));
    f.Edit_tel = adapt(new TextEditAdapter(Child<QLineEdit>(modem1, "Edit_tel")));
    f.CB_EX1 = adapt(new CheckBoxAdapter(Child<QCheckBox>(modem1, "CB_EX1")));
    f.CB_MDM2 = adapt(new CheckBoxAdapter(Child<QCheckBox>(modem2, "CB_MDM2")));
    f.Edit_tel2 = adapt(new TextEditAdapter(Child<QLineEdit>(modem2, "Edit_tel2")));
    f.CB_EX2 = adapt(new CheckBoxAdapter(Child<QCheckBox>(modem2, "CB_EX2")));
    f.SE_TCP = adapt(new SpinEditAdapter(seTcp));
    f.SE_TMX = adapt(new SpinEditAdapter(seTmx));
    f.SE_POWT = adapt(new SpinEditAdapter(sePowt));
    f.SE_OZ = adapt(new SpinEditAdapter(seOz));
    editor_ = std::make_unique<ConfigEditor>(f, record, network, link);
    editor_->SetRangeErrorHandler([this] { ShowRangeError(); });

    mac->setText(QStringLiteral("MAC: "));
    ShowMacLabelGreyed();
    ApplyLanguageTexts();
}

// The widgets go first, while the adapters and rules they notify still exist: a focused
// field that is destroyed still reports losing the focus.
ConfigPanel::~ConfigPanel()
{
    editor_->SetRangeErrorHandler({});
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void ConfigPanel::ShowConfig()
{
    editor_->ShowConfig();
}

void ConfigPanel::ShowMacLabelGreyed()
{
    macLabel_->SetTextColour(ColourRole::ButtonShadow);
}

void ConfigPanel::ApplyLanguageTexts()
{
    const LanguageTexts& t = Texts();
    const QString colon = QStringLiteral(":");
    auto set = [this](const char* name, const QString& text) {
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(name));
        if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(text);
        } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
            box->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(text);
        }
    };
    set("GroupBox2", t.txtCameras);
    set("GroupBox1", t.txtPicture);
    set("Label1", t.txtBeforeEvent + colon);
    set("Label3", t.txtAfterEvent + colon);
    set("Label2", t.txtPictures);
    set("Label4", t.txtPictures);
    set("Label7", t.txtIdentifier + colon);
    set("Label15", t.txtPassword + colon);
    set("CB_ET", t.txtEthernet);
    set("CB_MDM", t.txtModem + QStringLiteral(" 1"));
    set("CB_MDM2", t.txtModem + QStringLiteral(" 2"));
    set("Label5", t.txtIpAddress + colon);
    set("Label8", t.txtIpAddress + colon);
    set("Label13", t.txtSubnetMask + colon);
    set("Label14", t.txtGateway + colon);
    set("GroupBox4", t.txtStation);
    set("Label9", t.txtPort + colon);
    set("Label10", t.txtPhone + colon);
    set("Label22", t.txtPhone + colon);
    set("CB_kol", t.txtColour);
    set("CB_EX1", t.txtExternalModem);
    set("CB_EX2", t.txtExternalModem);
    set("Label24", t.txtSustainTime + colon);
    set("Label20", t.txtSustainTime + colon);
    set("Label23", t.txtMaxPreview + colon);
    set("Label21", t.txtMaxPreview + colon);
    set("Label30", t.txtTestEvery + colon);
    set("GroupBox6", t.txtModemLinks);
    set("Label11", t.txtRepeatCount + colon);
    set("Label19", t.txtSuspendTime + colon);
    for (const char* name : {"Label28", "Label29"}) {
        set(name, t.txtSec);
    }
    for (const char* name : {"Label25", "Label31", "Label26", "Label27"}) {
        set(name, t.txtMin);
    }
    set("CB_SRTC", t.txtSyncTime);
    grid_->setCell(0, 0, t.txtCameras);
    grid_->setCell(0, 1, t.txtTriggerInputs);
    grid_->setCell(0, 2, t.txtEnableInputs);
}

void ConfigPanel::SetRangeErrorHandler(std::function<void()> handler)
{
    editor_->SetRangeErrorHandler(std::move(handler));
}

// Opened without a nested event loop: the change rule that reported the error returns at once,
// and the keystroke that caused it is finished before the user sees the box. A box still open
// absorbs further reports.
void ConfigPanel::ShowRangeError()
{
    if (rangeErrorBox_) {
        return;
    }
    rangeErrorBox_ = new QMessageBox(QMessageBox::Critical, window()->windowTitle(),
                                     QString::fromLatin1(kRangeCheckError), QMessageBox::Ok, this);
    rangeErrorBox_->setAttribute(Qt::WA_DeleteOnClose);
    rangeErrorBox_->open();
}

} // namespace zorva
