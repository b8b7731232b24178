#pragma once

#include <exception>
#include <new>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "common/error.h"

namespace sorvane::app {

// The message when memory runs out during `work` ("the export").
inline QString notEnoughMemoryFor(const char* work) {
    return QStringLiteral("not enough memory for ") + QString::fromUtf8(work);
}

// Runs a handler that a signal started and shows an error it throws in a message box, so that
// no error of the user's input, of a damaged archive or of memory ever reaches the event loop.
// `work` names what the handler does, for the message when memory runs out.
template <class Handler>
void showingErrors(Dialogs& dialogs, const char* work, Handler&& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle, notEnoughMemoryFor(work));
    } catch (const SorvaneError& e) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
    } catch (const std::exception& e) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle, QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace sorvane::app
