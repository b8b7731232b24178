#include "app/history/ledger_days_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "history/ledger_store.h"

namespace sorvane::app {

namespace {

// The columns: the fields of a `history days` line, then the archive's check.
const char* const kColumns[] = {"Date",
                                "Detectors",
                                "High",
                                "Susp",
                                "Marg",
                                "Hlth",
                                "Excluded",
                                "Unreadable",
                                "Outages",
                                "Unit outages",
                                "Tested at",
                                "Archive",
                                "Parameters that differ",
                                "Archive check"};
constexpr int kArchiveColumn = 11;
constexpr int kCheckColumn = 13;
constexpr int kFirstNumber = 1;
constexpr int kLastNumber = 9;

}  // namespace

LedgerDaysDialog::LedgerDaysDialog(JobRunner& jobs, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), jobs_(jobs), dialogs_(dialogs) {
    setObjectName(QStringLiteral("LedgerDaysDialog"));
    daysTable_ = makeControl<QTableWidget>(this, "daysTable");
    daysTable_->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList headers;
    for (const char* c : kColumns)
        headers.append(QString::fromLatin1(c));
    daysTable_->setHorizontalHeaderLabels(headers);
    daysTable_->verticalHeader()->hide();
    daysTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    daysTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    daysTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    daysTable_->setAlternatingRowColors(true);
    daysTable_->setWordWrap(false);
    daysTable_->verticalHeader()->setDefaultSectionSize(daysTable_->fontMetrics().height() + 6);
    // Shown with the archive's check beside the date it was tested and the long path last; the
    // columns keep the order of the command line's fields.
    QHeaderView* header = daysTable_->horizontalHeader();
    header->moveSection(kCheckColumn, kArchiveColumn);
    header->moveSection(kArchiveColumn + 1, kCheckColumn);
    header->setStretchLastSection(true);
    auto* daysLabel =
        makeLabel(this, "daysLabel", QStringLiteral("Days of the ledger"), daysTable_);
    missingDatesLabel_ = makeWrappedLabel(this, "missingDatesLabel", QString());
    daysStatusLabel_ = makeWrappedLabel(this, "daysStatusLabel", QString());
    daysStatusLabel_->hide();
    removeDaysButton_ = makeButton(this, "removeDaysButton", QStringLiteral("Remove..."));
    checkArchivesButton_ =
        makeButton(this, "checkArchivesButton", QStringLiteral("Check archives"));
    closeDaysButton_ = makeButton(this, "closeDaysButton", QStringLiteral("Close"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(removeDaysButton_);
    buttons->addWidget(checkArchivesButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeDaysButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(daysLabel);
    layout->addWidget(daysTable_, 1);
    layout->addWidget(missingDatesLabel_);
    layout->addWidget(daysStatusLabel_);
    layout->addLayout(buttons);
    setTabOrder(daysTable_, removeDaysButton_);
    setTabOrder(removeDaysButton_, checkArchivesButton_);
    setTabOrder(checkArchivesButton_, closeDaysButton_);
    resize(980, 420);

    connect(removeDaysButton_, &QPushButton::clicked, this, &LedgerDaysDialog::removeChosen);
    // Delete in the list asks as "Remove..." does.
    auto* removeKey = new QShortcut(QKeySequence::Delete, daysTable_);
    removeKey->setContext(Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, &LedgerDaysDialog::removeChosen);
    connect(checkArchivesButton_, &QPushButton::clicked, this, &LedgerDaysDialog::checkArchives);
    connect(closeDaysButton_, &QPushButton::clicked, this, &LedgerDaysDialog::close);
}

void LedgerDaysDialog::showLedger(const std::string& location, const QString& caption) {
    if (location != location_) {
        daysTable_->setRowCount(0);
        missingDatesLabel_->clear();
        setStatus({});
    }
    location_ = location;
    setWindowTitle(QStringLiteral("Days of the ledger - ") + caption);
    refresh();
}

void LedgerDaysDialog::refresh() {
    int read = ++readsAsked_;
    jobs_.start(
        "the list of days",
        [location = location_](const JobControl&) {
            history::LedgerStore ledger(location, history::LedgerStore::Access::Read);
            return std::make_shared<const history::LedgerDaysList>(
                history::readLedgerDays(ledger, {}));
        },
        [this, read](const std::shared_ptr<const history::LedgerDaysList>& list) {
            if (read == readsAsked_) showList(*list);
        },
        [this, read](const Failure& failure) {
            if (read == readsAsked_) showFailure(QStringLiteral("listed"), failure);
        });
}

std::vector<std::string> LedgerDaysDialog::listedDates() const {
    std::vector<std::string> dates;
    for (int row = 0; row < daysTable_->rowCount(); ++row)
        dates.push_back(daysTable_->item(row, 0)->text().toStdString());
    return dates;
}

void LedgerDaysDialog::showList(const history::LedgerDaysList& list) {
    // A check shown before stays with its date.
    std::map<QString, QString> checked;
    for (int row = 0; row < daysTable_->rowCount(); ++row) {
        if (QTableWidgetItem* item = daysTable_->item(row, kCheckColumn))
            checked[daysTable_->item(row, 0)->text()] = item->text();
    }
    daysTable_->setRowCount(static_cast<int>(list.days.size()));
    for (size_t i = 0; i < list.days.size(); ++i) {
        std::vector<std::string> fields = history::ledgerDayFields(list, i);
        fields.push_back({});
        auto row = static_cast<int>(i);
        for (size_t c = 0; c < fields.size(); ++c) {
            auto* item = new QTableWidgetItem(toQString(fields[c]));
            auto column = static_cast<int>(c);
            if (column >= kFirstNumber && column <= kLastNumber)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            daysTable_->setItem(row, column, item);
        }
        auto was = checked.find(toQString(list.days[i].date));
        if (was != checked.end()) daysTable_->item(row, kCheckColumn)->setText(was->second);
    }
    daysTable_->resizeColumnsToContents();
    QStringList missing;
    for (const std::string& line : history::missingDateLines(list.days))
        missing.append(toQString(line));
    missingDatesLabel_->setText(list.days.empty() ? QStringLiteral("The ledger holds no days.")
                                                  : missing.join(QLatin1Char('\n')));
    missingDatesLabel_->setVisible(!missingDatesLabel_->text().isEmpty());
    emit updated();
}

void LedgerDaysDialog::removeChosen() {
    std::set<int> rows;
    for (const QModelIndex& index : daysTable_->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows.empty()) {
        dialogs_.message(MessageIcon::Information, kAppTitle,
                         QStringLiteral("Choose the days to remove in the list."));
        return;
    }
    std::vector<std::string> dates;
    QStringList shown;
    for (int row : rows) {
        dates.push_back(daysTable_->item(row, 0)->text().toStdString());
        shown.append(daysTable_->item(row, 0)->text());
    }
    int choice = dialogs_.ask(
        MessageIcon::Exclamation, kAppTitle,
        QStringLiteral("Remove ") + QString::number(dates.size()) +
            (dates.size() == 1 ? QStringLiteral(" day") : QStringLiteral(" days")) +
            QStringLiteral(" from the ledger?\r\n") + shown.join(QStringLiteral(", ")) +
            QStringLiteral("\r\nTheir detectors and outages are deleted from the ledger; the "
                           "archives are not touched."),
        {QStringLiteral("Remove"), QStringLiteral("Cancel")});
    if (choice != 0) return;
    removeDaysButton_->setEnabled(false);
    jobs_.start(
        "removing days",
        [location = location_, dates](const JobControl&) {
            history::LedgerStore ledger(location, history::LedgerStore::Access::Add);
            return ledger.removeDays(dates);
        },
        [this, shown](const std::vector<std::string>& notHeld) {
            removeDaysButton_->setEnabled(true);
            if (notHeld.empty()) {
                setStatus(QStringLiteral("Removed: ") + shown.join(QStringLiteral(", ")));
            } else {
                QStringList list;
                for (const std::string& date : notHeld)
                    list.append(toQString(date));
                // As `sorvane-cli history remove` says it: all of them or none.
                dialogs_.message(MessageIcon::Exclamation, kAppTitle,
                                 QStringLiteral("The ledger holds no day ") +
                                     list.join(QStringLiteral(", ")) +
                                     QStringLiteral("; nothing was removed"));
            }
            refresh();
            emit daysRemoved();
        },
        [this](const Failure& failure) {
            removeDaysButton_->setEnabled(true);
            dialogs_.message(
                MessageIcon::Exclamation, kAppTitle,
                QStringLiteral("No day was removed: ") + toQString(failure.description));
        });
}

void LedgerDaysDialog::checkArchives() {
    checkArchivesButton_->setEnabled(false);
    setStatus(QStringLiteral("Checking the archives..."));
    jobs_.start(
        "checking the archives",
        [location = location_](const JobControl&) {
            history::LedgerStore ledger(location, history::LedgerStore::Access::Read);
            return history::checkArchives(ledger.days({}));
        },
        [this](const std::vector<history::ArchiveCheck>& checks) {
            checkArchivesButton_->setEnabled(true);
            showChecks(checks);
        },
        [this](const Failure& failure) {
            checkArchivesButton_->setEnabled(true);
            showFailure(QStringLiteral("checked"), failure);
        });
}

void LedgerDaysDialog::showChecks(const std::vector<history::ArchiveCheck>& checks) {
    std::map<QString, QString> stateOf;
    for (const history::ArchiveCheck& c : checks)
        stateOf[toQString(c.date)] = toQString(std::string(history::archiveStateName(c.state)));
    for (int row = 0; row < daysTable_->rowCount(); ++row) {
        auto it = stateOf.find(daysTable_->item(row, 0)->text());
        daysTable_->item(row, kCheckColumn)->setText(it == stateOf.end() ? QString() : it->second);
    }
    daysTable_->resizeColumnToContents(kCheckColumn);
    setStatus(QStringLiteral("Archives: ") + toQString(history::archiveCheckSummary(checks)));
    emit updated();
}

void LedgerDaysDialog::setStatus(const QString& text) {
    daysStatusLabel_->setText(text);
    daysStatusLabel_->setVisible(!text.isEmpty());
}

void LedgerDaysDialog::showFailure(const QString& what, const Failure& failure) {
    setStatus(QStringLiteral("The ledger could not be ") + what + QStringLiteral(": ") +
              toQString(failure.description));
    emit updated();
}

}  // namespace sorvane::app
