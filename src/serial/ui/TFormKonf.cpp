#include "serial/ui/TFormKonf.h"

#include <algorithm>
#include <utility>

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "serial/ComNames.h"
#include "serial/DeviceNames.h"
#include "serial/NetworkOpen.h"
#include "serial/TComm64.h"
#include "serial/network/NetworkNames.h"
#include "shell/FormPlacement.h"
#include "shell/LanguageTexts.h"
#include "shell/SettingsStore.h"

namespace zorva {

namespace {

// The caption the dialog is designed with; its placement is stored under this name.
const QString kDesignCaption = QStringLiteral("Konfiguracja");
const QString kPortPageCaption = QStringLiteral("    Port RS-232    ");

QGroupBox* RadioGroup(const QString& caption, const QStringList& items, int columns,
                      QButtonGroup*& buttons, QWidget* owner)
{
    auto* box = new QGroupBox(caption, owner);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 0, 6, 0);
    grid->setVerticalSpacing(0);
    buttons = new QButtonGroup(box);
    const auto rows = static_cast<int>((items.size() + columns - 1) / columns);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items.at(i), box);
        buttons->addButton(radio, i);
        grid->addWidget(radio, i % rows, i / rows);
    }
    return box;
}

// Selects item `item` of an exclusive group, or none for -1.
void SelectItem(QButtonGroup* buttons, int item)
{
    if (QAbstractButton* b = buttons->button(item)) {
        b->setChecked(true);
        return;
    }
    buttons->setExclusive(false);
    for (QAbstractButton* b : buttons->buttons()) {
        b->setChecked(false);
    }
    buttons->setExclusive(true);
}

} // namespace

TFormKonf::TFormKonf(TComm64& port, FlagAccess dtrFlag, FlagAccess rtsFlag, QWidget* parent,
                     PortSource ports, PortProbe probe)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      port_(port), dtrFlag_(std::move(dtrFlag)), rtsFlag_(std::move(rtsFlag)),
      ports_(std::move(ports))
{
    setObjectName(QStringLiteral("FormKonf"));
    setWindowTitle(kDesignCaption);
    Search = new PortSearch(std::move(probe), this);
    connect(Search, &PortSearch::Trying, this, &TFormKonf::SearchTrying);
    connect(Search, &PortSearch::Finished, this, &TFormKonf::SearchFinished);
    BuildControls();
    FormCreate();
}

void TFormKonf::BuildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(2);

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget(PageControl1);
    PageControl1->addTab(TabSheet1, kPortPageCaption);
    outer->addWidget(PageControl1);

    auto* page = new QVBoxLayout(TabSheet1);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(0);

    auto* portRow = new QHBoxLayout;
    auto* portLabel = new QLabel(QStringLiteral("Port RS-232 :"), TabSheet1);
    CCB1 = new QComboBox(TabSheet1);
    CCB1->setObjectName(QStringLiteral("CCB1"));
    CCB1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CCB1->setMinimumContentsLength(10);
    // A network port's address can be typed in; the list itself stays as it is.
    CCB1->setEditable(true);
    CCB1->setInsertPolicy(QComboBox::NoInsert);
    CCB1->installEventFilter(this);
    CCB1->lineEdit()->installEventFilter(this);
    portLabel->setBuddy(CCB1);
    portRow->addWidget(portLabel);
    portRow->addWidget(CCB1, 1);
    page->addLayout(portRow);
    // Right under the list, so that the list keeps its width.
    ButtonFindModule = new QPushButton(TabSheet1);
    ButtonFindModule->setObjectName(QStringLiteral("ButtonFindModule"));
    ButtonFindModule->setAutoDefault(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->addStretch(1);
    searchRow->addWidget(ButtonFindModule);
    page->addLayout(searchRow);
    LabelReason = new QLabel(TabSheet1);
    LabelReason->setObjectName(QStringLiteral("LabelReason"));
    LabelReason->setWordWrap(true);
    LabelReason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelReason->hide();
    page->addWidget(LabelReason);

    RadioGroup2 =
        RadioGroup(QStringLiteral("&Baud Rate"),
                   {QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                    QStringLiteral("38400"), QStringLiteral("57600"), QStringLiteral("115200")},
                   3, BaudRateItems, TabSheet1);
    RadioGroup3 =
        RadioGroup(QStringLiteral("&Data Size"),
                   {QStringLiteral("6 bits"), QStringLiteral("7 bits"), QStringLiteral("8 bits")},
                   1, DataSizeItems, TabSheet1);
    RadioGroup4 = RadioGroup(
        QStringLiteral("St&op Bits"),
        {QStringLiteral("1 Stop Bit"), QStringLiteral("1.5 "), QStringLiteral("2 Stop Bits")}, 1,
        StopBitsItems, TabSheet1);
    RadioGroup5 = RadioGroup(QStringLiteral("&Parity"),
                             {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                              QStringLiteral("Mark"), QStringLiteral("Space")},
                             3, ParityItems, TabSheet1);
    page->addWidget(RadioGroup2);
    auto* middle = new QHBoxLayout;
    middle->addWidget(RadioGroup3);
    middle->addWidget(RadioGroup4);
    page->addLayout(middle);
    page->addWidget(RadioGroup5);

    Panel1 = new QWidget(TabSheet1);
    auto* flags = new QHBoxLayout(Panel1);
    flags->setContentsMargins(6, 0, 6, 0);
    CheckBoxDTR = new QCheckBox(QStringLiteral("DT&R "), Panel1);
    CheckBoxRTS = new QCheckBox(QStringLiteral("RT&S "), Panel1);
    flags->addWidget(CheckBoxDTR);
    flags->addWidget(CheckBoxRTS);
    page->addWidget(Panel1);
    page->addStretch(1);

    BitBtn1 = new QPushButton(QStringLiteral("&OK"), this);
    BitBtn1->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(BitBtn1);
    buttonRow->addStretch(1);
    outer->addLayout(buttonRow);

    // Only the port is chosen here; the rest shows the settings in force.
    for (QWidget* shown :
         {static_cast<QWidget*>(RadioGroup2), static_cast<QWidget*>(RadioGroup3),
          static_cast<QWidget*>(RadioGroup4), static_cast<QWidget*>(RadioGroup5), Panel1}) {
        shown->setEnabled(false);
    }

    connect(CCB1, &QComboBox::activated, this, &TFormKonf::CCB1Change);
    connect(BaudRateItems, &QButtonGroup::idClicked, this, &TFormKonf::RadioGroup2Click);
    connect(DataSizeItems, &QButtonGroup::idClicked, this, &TFormKonf::RadioGroup3Click);
    connect(StopBitsItems, &QButtonGroup::idClicked, this, &TFormKonf::RadioGroup4Click);
    connect(ParityItems, &QButtonGroup::idClicked, this, &TFormKonf::RadioGroup5Click);
    connect(CheckBoxDTR, &QCheckBox::clicked, this, &TFormKonf::CheckBoxDTRClick);
    connect(CheckBoxRTS, &QCheckBox::clicked, this, &TFormKonf::CheckBoxRTSClick);
    connect(ButtonFindModule, &QPushButton::clicked, this, &TFormKonf::ButtonFindModuleClick);
    // OK, Enter and Escape all just close: there is nothing to apply or undo.
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    designSize_ = QSize(kFormKonfWidth, kFormKonfHeight).expandedTo(minimumSizeHint());
    setFixedSize(designSize_);
}

void TFormKonf::FormCreate()
{
    QString error;
    if (!RestoreFormPlacement(this, kRegPosKey, &error)) {
        creationError_ = error;
        return;
    }
    PageControl1->setCurrentWidget(TabSheet1);
    ApplyLanguageTexts();
}

void TFormKonf::ApplyLanguageTexts()
{
    setWindowTitle(Texts().txtConfiguration);
    ButtonFindModule->setText(Search->Running() ? Texts().txtStopSearch : Texts().txtFindModule);
}

bool TFormKonf::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == CCB1 || watched == CCB1->lineEdit()) && event->type() == QEvent::KeyPress &&
        !CCB1->lineEdit()->isModified() && CCB1->count() > 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Home || key == Qt::Key_End) {
            const int index = key == Qt::Key_Home ? 0 : CCB1->count() - 1;
            CCB1->setCurrentIndex(index);
            CCB1Change(index);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormKonf::showEvent(QShowEvent* event)
{
    note_.clear();
    ApplyLanguageTexts();
    PageControl1Change();
    QDialog::showEvent(event);
}

void TFormKonf::PageControl1Change()
{
    if (PageControl1->currentWidget() != TabSheet1) {
        return;
    }
    SelectItem(StopBitsItems, StopbitsItem(port_.Stopbits()));
    FillPortList();
    SelectDeviceInForce();
    ShowReason();
    SelectItem(BaudRateItems, BaudRateItem(port_.BaudRate()));
    if (const std::optional<int> item = DatabitsItem(port_.Databits())) {
        SelectItem(DataSizeItems, *item);
    }
    SelectItem(ParityItems, ParityItem(port_.Parity()));
    CheckBoxDTR->setChecked(dtrFlag_.get ? dtrFlag_.get() : false);
    CheckBoxRTS->setChecked(rtsFlag_.get ? rtsFlag_.get() : false);
}

void TFormKonf::FillPortList()
{
    std::vector<PortEntry> devices = ports_ ? ports_() : std::vector<PortEntry>();
    offered_.clear();
    for (PortEntry& device : devices) {
        if (device.path.isEmpty()) {
            device.path = DevicePathOf(device.name);
        }
        offered_.append(device.path);
    }
    entries_ = OrderPortList(WithAliases(devices, PortAliases()));
    CCB1->clear();
    for (const PortEntry& entry : entries_) {
        CCB1->addItem(PortDisplayText(entry), entry.name);
    }
    // The drop-down may be wider than the fixed-size dialog, so descriptions show in full.
    CCB1->view()->setMinimumWidth(CCB1->view()->sizeHintForColumn(0) + 8);
}

void TFormKonf::CCB1Change(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) {
        return;
    }
    const PortEntry picked = entries_[static_cast<std::size_t>(index)];
    note_.clear();
    pendingAlias_.reset();
    if (IsStorableComName(picked.name) || PortNameIsItsDevice(picked.name)) {
        port_.setDeviceName(picked.name);
    } else if (const std::optional<ComNameChoice> choice =
                   ComNameForDevice(picked.path, PortAliases(), offered_)) {
        // The alias is written when the dialog closes, so that running through the list with
        // the arrow keys leaves none behind for the devices passed over.
        if (!choice->aliasPath.isEmpty()) {
            pendingAlias_ = StoredPortAlias{choice->name, choice->aliasPath};
        }
        port_.setDeviceName(choice->name);
    } else {
        note_ = Texts().txtNoFreeComName.arg(picked.name);
        SelectDeviceInForce();
    }
    ShowReason();
}

void TFormKonf::done(int result)
{
    Search->Cancel();
    if (result == QDialog::Accepted && !TakeTypedName()) {
        return; // stays open; the note under the list says what is wrong
    }
    if (pendingAlias_) {
        SetPortAlias(pendingAlias_->name, pendingAlias_->path);
        pendingAlias_.reset();
    }
    QDialog::done(result);
}

bool TFormKonf::TakeTypedName()
{
    const QString typed = CCB1->currentText().trimmed();
    if (typed.isEmpty() || CCB1->findText(typed) >= 0 ||
        typed.compare(port_.DeviceName(), Qt::CaseInsensitive) == 0) {
        return true; // a pick from the list, taken already, or the port in force
    }
    const auto named = std::find_if(entries_.begin(), entries_.end(), [&](const PortEntry& e) {
        return e.name.compare(typed, Qt::CaseInsensitive) == 0;
    });
    if (named != entries_.end()) {
        const auto index = static_cast<int>(named - entries_.begin());
        CCB1->setCurrentIndex(index);
        CCB1Change(index);
        return note_.isEmpty();
    }
    if (!serial::IsNetworkName(typed.toStdString())) {
        note_ = Texts().txtNotAPortName.arg(typed);
        ShowReason();
        return false;
    }
    if (const PortFailure::AddressProblem problem = AddressProblemOf(typed);
        problem != PortFailure::AddressProblem::kNone) {
        note_ = Texts().txtPortBadAddress.arg(typed, AddressProblemText(problem));
        ShowReason();
        return false;
    }
    pendingAlias_.reset();
    if (PortNameIsItsDevice(typed)) {
        port_.setDeviceName(typed); // where COM names are the devices' own, the name itself
    } else if (const std::optional<ComNameChoice> choice =
                   ComNameForDevice(typed, PortAliases(), offered_)) {
        // Remembered as a device is: under a COM name with its alias.
        if (!choice->aliasPath.isEmpty()) {
            pendingAlias_ = StoredPortAlias{choice->name, choice->aliasPath};
        }
        port_.setDeviceName(choice->name);
    } else {
        port_.setDeviceName(typed); // kept in full, whatever aliases exist (StoredPort.h)
    }
    return true;
}

void TFormKonf::SelectDeviceInForce()
{
    QStringList names;
    for (int i = 0; i < CCB1->count(); ++i) {
        names.append(CCB1->itemData(i).toString());
    }
    const QString inForce = port_.DeviceName();
    // A network address in force is no entry of the list: shown as it is, not as the first.
    if (serial::IsNetworkName(inForce.toStdString()) &&
        !names.contains(inForce, Qt::CaseInsensitive)) {
        CCB1->setCurrentIndex(-1);
        CCB1->setEditText(inForce);
        return;
    }
    CCB1->setCurrentIndex(PortSelectionIndex(names, inForce));
}

void TFormKonf::ShowReason()
{
    QString text = note_;
    const std::optional<PortFailure>& failure = port_.OpenFailure();
    if (text.isEmpty() && failure &&
        failure->deviceName.compare(port_.DeviceName(), Qt::CaseInsensitive) == 0) {
        text = PortFailureText(*failure);
    }
    LabelReason->setText(text);
    LabelReason->setVisible(!text.isEmpty());
    // The dialog grows by the note's lines, so that the groups below keep their height. The
    // note is as wide as the page less the margins of the dialog, the tab and the page.
    constexpr int kMargins = 24;
    const int noteHeight =
        text.isEmpty() ? 0 : LabelReason->heightForWidth(designSize_.width() - kMargins);
    setFixedSize(designSize_.width(), designSize_.height() + std::max(noteHeight, 0));
}

void TFormKonf::RadioGroup2Click(int item)
{
    port_.setBaudRate(BaudRateForItem(item));
}

void TFormKonf::RadioGroup3Click(int item)
{
    port_.setDatabits(DatabitsForItem(item));
}

void TFormKonf::RadioGroup4Click(int item)
{
    port_.setStopbits(static_cast<TStopbits>(item));
}

void TFormKonf::RadioGroup5Click(int item)
{
    port_.setParity(static_cast<TParity>(item));
}

void TFormKonf::CheckBoxDTRClick()
{
    if (dtrFlag_.set) {
        dtrFlag_.set(CheckBoxDTR->isChecked());
    }
}

void TFormKonf::CheckBoxRTSClick()
{
    if (rtsFlag_.set) {
        rtsFlag_.set(CheckBoxRTS->isChecked());
    }
}

void TFormKonf::ButtonFindModuleClick()
{
    if (Search->Running()) {
        Search->Cancel();
        return;
    }
    QStringList candidates;
    for (const PortEntry& entry : entries_) {
        candidates.append(entry.name);
    }
    const bool dtr = dtrFlag_.get ? dtrFlag_.get() : false;
    const bool rts = rtsFlag_.get ? rtsFlag_.get() : false;
    Search->Start(candidates, LineOf(port_, dtr, rts));
    CCB1->setEnabled(false);
    ApplyLanguageTexts();
}

void TFormKonf::SearchTrying(const QString& candidate)
{
    note_ = Texts().txtSearchingOn.arg(candidate);
    ShowReason();
}

void TFormKonf::SearchFinished()
{
    CCB1->setEnabled(true);
    ApplyLanguageTexts();
    note_.clear();
    const PortSearchResult& result = Search->Result();
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const PortEntry& e) {
        return !result.found.isEmpty() && e.name == result.found;
    });
    if (found != entries_.end()) {
        const auto index = static_cast<int>(found - entries_.begin());
        CCB1->setCurrentIndex(index);
        CCB1Change(index);
        if (note_.isEmpty()) {
            note_ = Texts().txtModuleFoundOn.arg(result.found);
        }
    } else if (!result.cancelled) {
        note_ = Texts().txtNoModuleFound;
        if (!result.passedOver.empty()) {
            note_ += QLatin1Char('\n') + Texts().txtPortsPassedOver;
        }
        for (const PortFailure& failure : result.passedOver) {
            note_ += QLatin1Char('\n') + PortFailureLine(failure);
        }
    }
    ShowReason();
}

} // namespace zorva
