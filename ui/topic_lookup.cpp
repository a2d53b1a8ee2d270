#include "ui/topic_lookup.h"

#include "storage/record_lookup.h"
#include "storage/windows1252.h"

std::uint64_t topicNamed(
    const std::string &path, const QString &name, const QString &documentName, QString &why)
{
    why = QStringLiteral("The help document \"%1\" has no topic named \"%2\".")
              .arg(documentName, name);
    if (path.empty())
        return 0;
    // A name the document's code page cannot hold names no topic in it.
    const storage::EncodeResult bytes = storage::encodeWindows1252(name.toStdString());
    if (!bytes.status.ok())
        return 0;
    const storage::NamedRecord found = storage::findRecordNamed(path, bytes.bytes);
    if (found.number == 0 && !found.status.ok())
        why = QStringLiteral("The topic \"%1\" was not found: the help document \"%2\" cannot be "
                             "read past %3.")
                  .arg(name, documentName, QString::fromStdString(found.status.message()));
    return found.number;
}
