// Downloads of the program's pages: the service's exports saved into the
// download folder without a word, any other download saved only where the
// user says (GTK's file chooser); none larger than 64 MiB, and a partial file
// never left behind.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

namespace lumaro::gtk {

// Handles the downloads of every page of `context`.
void WatchDownloads(WebKitWebContext* context);

// The folder downloads are saved in: the one set below, else the desktop's
// download folder (~/Downloads when it has none).
std::string DownloadFolder();
// Sets the download folder ("" for the desktop's): tests.
void SetDownloadDirectory(const std::string& dir);

}  // namespace lumaro::gtk
