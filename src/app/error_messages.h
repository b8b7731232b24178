#pragma once

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "common/failure.h"

namespace sorvane::app {

// Runs a handler that a signal started and shows an error it throws in a message box, so that
// no error of the user's input, of a damaged archive or of memory ever reaches the event loop.
// `work` names what the handler does, for the message when memory runs out.
template <class Handler>
void showingErrors(Dialogs& dialogs, const char* work, Handler&& handler) {
    try {
        handler();
    } catch (...) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle,
                        toQString(describeCurrentFailure(work).description));
    }
}

}  // namespace sorvane::app
