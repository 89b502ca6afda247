// Folders a user may write to, for files the program creates without asking where: an installed
// program's own folder (Program Files, /usr/lib/zorva) is not one of them.
#pragma once

#include <QString>

namespace zorva {

// The user's documents folder when it exists, else the home folder.
QString UserDocumentsFolder();

} // namespace zorva
