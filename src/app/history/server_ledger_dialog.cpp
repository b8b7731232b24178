#include "app/history/server_ledger_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/widget_factory.h"
#include "history/ledger_location.h"
#include "history/ledger_store.h"

namespace sorvane::app {

namespace {

// What a reachable ledger holds, for the status line.
QString holdings(const std::vector<std::string>& dates) {
    if (dates.empty()) return QStringLiteral("the ledger holds no days yet");
    QString text = QStringLiteral("the ledger holds ") + QString::number(dates.size()) +
                   (dates.size() == 1 ? QStringLiteral(" day, ") : QStringLiteral(" days, "));
    if (dates.size() == 1) return text + toQString(dates.front());
    return text + toQString(dates.front()) + QStringLiteral(" to ") + toQString(dates.back());
}

}  // namespace

ServerLedgerDialog::ServerLedgerDialog(JobRunner& jobs, QWidget* parent)
    : QDialog(parent), jobs_(jobs) {
    setObjectName(QStringLiteral("ServerLedgerDialog"));
    setWindowTitle(QStringLiteral("Server ledger"));
    serverUriEdit_ = makeControl<QLineEdit>(this, "serverUriEdit");
    serverUriEdit_->setPlaceholderText(QStringLiteral("postgresql://user@host/dbname"));
    serverUriEdit_->setMinimumWidth(420);
    auto* uriLabel =
        makeLabel(this, "serverUriLabel", QStringLiteral("Connection URI:"), serverUriEdit_);
    auto* hint = makeWrappedLabel(
        this, "serverHintLabel",
        QStringLiteral("The password comes from ~/.pgpass, PGPASSWORD or a service file. A "
                       "password written into the URI is used, but never saved or shown."));
    connectionStatusLabel_ = makeWrappedLabel(this, "connectionStatusLabel", QString());
    connectionStatusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testConnectionButton_ =
        makeButton(this, "testConnectionButton", QStringLiteral("Test connection"));
    openServerButton_ = makeButton(this, "openServerButton", QStringLiteral("Open"));
    cancelServerButton_ = makeButton(this, "cancelServerButton", QStringLiteral("Cancel"));
    openServerButton_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(testConnectionButton_);
    buttons->addStretch(1);
    buttons->addWidget(openServerButton_);
    buttons->addWidget(cancelServerButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(uriLabel);
    layout->addWidget(serverUriEdit_);
    layout->addWidget(hint);
    layout->addWidget(connectionStatusLabel_, 1);
    layout->addLayout(buttons);
    setTabOrder(serverUriEdit_, testConnectionButton_);
    setTabOrder(testConnectionButton_, openServerButton_);
    setTabOrder(openServerButton_, cancelServerButton_);

    connect(testConnectionButton_, &QPushButton::clicked, this, [this] { tryConnection(false); });
    connect(openServerButton_, &QPushButton::clicked, this, [this] { tryConnection(true); });
    connect(cancelServerButton_, &QPushButton::clicked, this, &ServerLedgerDialog::reject);
}

void ServerLedgerDialog::offer(const QString& uri) {
    serverUriEdit_->setText(uri);
    status_.clear();
    connectionStatusLabel_->clear();
    setTrying(false);
    open();
    serverUriEdit_->setFocus();
}

const QString& ServerLedgerDialog::status() const {
    return status_;
}

void ServerLedgerDialog::reject() {
    if (attempt_ != 0) jobs_.cancel(attempt_);
    attempt_ = 0;
    setTrying(false);
    QDialog::reject();
}

// Opens the ledger for reading in a job: what it holds, or why it cannot be reached.
void ServerLedgerDialog::tryConnection(bool thenOpen) {
    QString uri = serverUriEdit_->text().trimmed();
    std::string location = uri.toStdString();
    if (!history::isServerLedger(location)) {
        connectionTried(uri, false, false,
                        QStringLiteral("A server ledger's URI begins with postgresql:// or "
                                       "postgres://, e.g. postgresql://sorvane@dbhost/traffic."));
        return;
    }
    QString shown = toQString(history::shownLocation(location));
    status_ = QStringLiteral("Connecting to ") + shown + QStringLiteral("...");
    connectionStatusLabel_->setText(status_);
    setTrying(true);
    attempt_ = jobs_.start(
        "the server ledger",
        [location](const JobControl&) {
            history::LedgerStore ledger(location, history::LedgerStore::Access::Read);
            return ledger.dates({});
        },
        [this, uri, thenOpen, location](const std::vector<std::string>& dates) {
            connectionTried(uri, thenOpen, true,
                            QStringLiteral("Connected to ") +
                                toQString(history::ledgerCaption(location)) + QStringLiteral(": ") +
                                holdings(dates) + QStringLiteral("."));
        },
        [this, uri, shown](const Failure& failure) {
            // The reason may quote the URI: never with the password typed into it.
            QString reason = toQString(failure.description);
            reason.replace(uri, shown);
            if (!reason.contains(shown))
                reason = QStringLiteral("The server ledger ") + shown +
                         QStringLiteral(" could not be opened: ") + reason;
            connectionTried(uri, false, false, reason);
        });
}

void ServerLedgerDialog::connectionTried(const QString& uri, bool thenOpen, bool reached,
                                         const QString& text) {
    attempt_ = 0;
    setTrying(false);
    status_ = text;
    connectionStatusLabel_->setText(text);
    if (reached && thenOpen) {
        accept();
        emit chosen(uri);
    }
}

void ServerLedgerDialog::setTrying(bool trying) {
    for (QWidget* w :
         {static_cast<QWidget*>(serverUriEdit_), static_cast<QWidget*>(testConnectionButton_),
          static_cast<QWidget*>(openServerButton_)})
        w->setEnabled(!trying);
}

}  // namespace sorvane::app
