#pragma once

// The archive loading of frmTrafficExtrac (frm_traffic_extrac.h): what it shows the user. Its
// methods are in frm_traffic_extrac_loading.cpp, the rest of the window in frm_traffic_extrac.cpp.

#include <QString>

#include "app/dialogs.h"
#include "common/failure.h"

namespace sorvane::app {

// The error of a cancelled file dialog, as the loading message shows it.
inline constexpr int kErrCancel = 32755;
inline constexpr char kCancelDescription[] = "Cancel was selected";

// The dialog in which the user picks an archive.
FileDialogRequest archiveDialogRequest();

// "Error No: <number>, <description>." CR LF "Please select a *.traffic file."
QString loadErrorMessage(const Failure& failure);

}  // namespace sorvane::app
