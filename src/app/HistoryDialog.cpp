#include "app/HistoryDialog.h"

#include <algorithm>
#include <utility>

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "config/ConfigBlock.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

QString ModuleCaption(const HistoryEntry& entry)
{
    const QString identifier = HistoryIdentifier(entry);
    return identifier.isEmpty() ? Texts().txtHistoryNoIdentifier : identifier;
}

} // namespace

HistoryDialog::HistoryDialog(const ConfigHistory& history, const ConfigRecord& editor,
                             std::function<bool(const QString& path)> open, QWidget* parent)
    : QDialog(parent), editor_(editor), open_(std::move(open)), entries_(history.List())
{
    const LanguageTexts& t = Texts();
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(t.txtHistoryTitle);

    CB_module = new QComboBox(this);
    CB_module->setObjectName(QStringLiteral("CB_module"));
    CB_module->addItem(t.txtHistoryAll);
    QStringList modules;
    for (const HistoryEntry& entry : entries_) {
        if (!modules.contains(entry.module)) {
            modules << entry.module;
        }
    }
    modules.sort();
    for (const QString& module : modules) {
        const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                        [&](const HistoryEntry& e) { return e.module == module; });
        CB_module->addItem(ModuleCaption(*entry), module);
    }

    LV_history = new QTreeWidget(this);
    LV_history->setObjectName(QStringLiteral("LV_history"));
    LV_history->setRootIsDecorated(false);
    LV_history->setHeaderLabels({t.txtHistoryWhen, t.txtIdentifier, t.txtHistoryWhat, t.txtFile});
    LV_history->setMinimumSize(640, 260);

    M_differences = new QPlainTextEdit(this);
    M_differences->setObjectName(QStringLiteral("M_differences"));
    M_differences->setReadOnly(true);
    M_differences->setMaximumHeight(120);

    B_load = new QPushButton(t.txtHistoryLoad, this);
    B_load->setObjectName(QStringLiteral("B_load"));
    B_compare = new QPushButton(t.txtHistoryCompare, this);
    B_compare->setObjectName(QStringLiteral("B_compare"));
    B_close = new QPushButton(t.txtHistoryClose, this);
    B_close->setObjectName(QStringLiteral("B_close"));

    auto* filter = new QFormLayout;
    filter->addRow(t.txtIdentifier, CB_module);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(B_load);
    buttons->addWidget(B_compare);
    buttons->addStretch(1);
    buttons->addWidget(B_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(LV_history, 1);
    layout->addWidget(M_differences);
    layout->addLayout(buttons);

    connect(CB_module, &QComboBox::currentIndexChanged, this, &HistoryDialog::CB_moduleChange);
    connect(B_load, &QPushButton::clicked, this, &HistoryDialog::B_loadClick);
    connect(B_compare, &QPushButton::clicked, this, &HistoryDialog::B_compareClick);
    connect(B_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(LV_history, &QTreeWidget::itemDoubleClicked, this, &HistoryDialog::B_loadClick);
    CB_moduleChange();
}

void HistoryDialog::CB_moduleChange()
{
    const QString module = CB_module->currentData().toString();
    LV_history->clear();
    for (const HistoryEntry& entry : entries_) {
        if (!module.isEmpty() && entry.module != module) {
            continue;
        }
        auto* item = new QTreeWidgetItem(LV_history);
        item->setText(0, entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
        item->setText(1, ModuleCaption(entry));
        item->setText(2, entry.kind == HistoryKind::Read ? Texts().txtHistoryRead
                                                         : Texts().txtHistoryWritten);
        item->setText(3, QFileInfo(entry.path).fileName());
        item->setData(0, Qt::UserRole, entry.path);
    }
    for (int column = 0; column < LV_history->columnCount(); ++column) {
        LV_history->resizeColumnToContents(column);
    }
    SelectRow(0);
    M_differences->clear();
}

QStringList HistoryDialog::ShownFiles() const
{
    QStringList files;
    for (int row = 0; row < LV_history->topLevelItemCount(); ++row) {
        files << LV_history->topLevelItem(row)->text(3);
    }
    return files;
}

void HistoryDialog::SelectRow(int row)
{
    LV_history->setCurrentItem(LV_history->topLevelItem(row));
    const bool chosen = LV_history->currentItem() != nullptr;
    B_load->setEnabled(chosen);
    B_compare->setEnabled(chosen);
}

QString HistoryDialog::ChosenFile() const
{
    const QTreeWidgetItem* item = LV_history->currentItem();
    return item != nullptr ? item->data(0, Qt::UserRole).toString() : QString();
}

QString HistoryDialog::DifferencesText() const
{
    return M_differences->toPlainText();
}

void HistoryDialog::B_loadClick()
{
    const QString file = ChosenFile();
    if (!file.isEmpty() && open_(file)) {
        accept();
    }
}

void HistoryDialog::B_compareClick()
{
    const QString file = ChosenFile();
    ConfigRecord::Image image{};
    if (file.isEmpty() || !LoadBlock(file, image)) {
        M_differences->setPlainText(Texts().txtNotRead);
        return;
    }
    ConfigRecord kept;
    kept.Load(image);
    const QStringList lines = CompareWithEditor(kept, editor_);
    M_differences->setPlainText(lines.isEmpty() ? Texts().txtHistoryNoDifferences
                                                : lines.join(u'\n'));
}

} // namespace zorva
