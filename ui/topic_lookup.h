#pragma once

#include <QString>

#include <cstdint>
#include <string>

// The record number of the first topic named exactly name in the document at path (the name
// converted to the document's code page); 0 when there is none, with why telling the user,
// naming the document as documentName.
std::uint64_t topicNamed(
    const std::string &path, const QString &name, const QString &documentName, QString &why);
