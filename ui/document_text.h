#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// Text of a help document (Windows-1252 bytes: names, levels, contents lines) as the windows
// show it.
QString shownText(const std::string &bytes);
QStringList shownLines(const std::vector<std::string> &lines);
