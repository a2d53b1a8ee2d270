#pragma once

// What the window tests share: scripted message boxes, file helpers, list contents.

#include "ui/message_boxes.h"

#include <QFile>
#include <QList>
#include <QListWidget>
#include <QStringList>
#include <QTest>

namespace testsupport {

struct Shown
{
    QString text;
    int style;
    QString title;
};

// Records every box and answers from a script; Ok once the script has run out.
class ScriptedBoxes final : public MessageBoxes
{
public:
    int show(QWidget *, const QString &text, int style, const QString &title) override
    {
        shown.append({text, style, title});
        return answers.isEmpty() ? Ok : answers.takeFirst();
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out << s.text;
        return out;
    }
    QList<Shown> shown;
    QList<int> answers;
};

inline void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

// A document of n topics named T1..Tn at level "0", each with the same short text.
inline QByteArray topicsDocument(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += "\"0\",\"T" + QByteArray::number(i) + "\",\"{\\rtf1 Topic.}\"\r\n";
    return bytes;
}

inline QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace testsupport
