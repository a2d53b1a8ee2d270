#include <QCoreApplication>
#include <QProcess>

// F1 on a screen of your program: the help opens at that screen's topic. A Leafwick that
// already shows the manual takes the call, so pressing F1 again opens no second window.
void showHelp(const QString &topic)
{
    const QString manual =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/myprogram/Manual.scv");
    QProcess::startDetached(QStringLiteral("leafwick"), {manual, QStringLiteral("--topic"), topic});
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    showHelp(QStringLiteral("Saving a Topic"));
}
