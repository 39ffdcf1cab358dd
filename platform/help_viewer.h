#pragma once

#include <QString>

namespace platform {

enum class HelpRequest { Contents, Search, Topic };

// Opens the help viewer (one window, reused) on the help file: its contents, its
// search page, or the topic with this context number. A missing or unreadable
// file is reported inside the viewer.
void openHelp(const QString& helpFile, HelpRequest request, int topic = 0);

} // namespace platform
