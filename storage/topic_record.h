#pragma once

#include "storage/field_value.h"

namespace storage {

// One topic of a help document, in file order: indent level, name in the contents, RTF text.
struct TopicRecord
{
    FieldValue level;
    FieldValue name;
    FieldValue text;

    friend bool operator==(const TopicRecord &, const TopicRecord &) = default;
};

// The empty topic that Insert writes: a bare 0 level, an empty name and an empty text.
inline TopicRecord placeholderRecord()
{
    return TopicRecord {FieldValue::number(0), FieldValue::string({}), FieldValue::string({})};
}

// A topic as the save writes it: all three fields quoted strings.
inline TopicRecord stringRecord(std::string level, std::string name, std::string text)
{
    return TopicRecord {FieldValue::string(std::move(level)), FieldValue::string(std::move(name)),
        FieldValue::string(std::move(text))};
}

} // namespace storage
