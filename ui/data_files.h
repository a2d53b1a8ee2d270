#pragma once

#include <QString>

// The files that ship with the programs (their own help document, the introductory page) lie in
// a data folder beside the installed programs: <prefix>/share/scrivane for <prefix>/bin. A file
// of the same name in the working folder is used first, so an author can work on a copy.
namespace datafiles {

// The data folder: set by setDataFolder, else share/scrivane beside the program's bin folder.
QString dataFolder();
// Replaces the data folder for the rest of the run; empty restores the default.
void setDataFolder(const QString &folder);

// Where name is found: name itself when the working folder holds a file of exactly that name,
// else its path in the data folder when that file exists; empty when neither holds it.
QString locate(const QString &name);

} // namespace datafiles
