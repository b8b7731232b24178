#pragma once

#include <exception>

#include "app/app_state.h"
#include "app/dialogs.h"
#include "common/error.h"

namespace sorvane::app {

// Runs a handler that a signal started and shows an error it throws in a message box, so that
// no error of the user's input or of a damaged archive ever reaches the event loop.
template <class Handler>
void showingErrors(Dialogs& dialogs, Handler&& handler) {
    try {
        handler();
    } catch (const SorvaneError& e) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle, toQString(e.description()));
    } catch (const std::exception& e) {
        dialogs.message(MessageIcon::Exclamation, kAppTitle, QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace sorvane::app
