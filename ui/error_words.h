#pragma once

#include <QString>

// What the author was doing with a file when the file system refused.
enum class FileAction {
    Creating,
    Deleting,
};

// Why the file system refused (an errno), in the author's words for what they were doing; the
// system's own wording where there are none.
QString plainReason(int error, FileAction action);
