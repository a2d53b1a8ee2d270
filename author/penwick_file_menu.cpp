// The File menu's document commands: Create (a new document) and Open (open or delete one).
#include "author/penwick.h"

#include "author/create_name.h"
#include "author/get_help_files.h"
#include "richtext/rich_text_box.h"
#include "ui/click_list.h"

#include <QFileInfo>
#include <QLineEdit>

void Penwick::Createmnu_Click()
{
    // A dialog that is closing is already hidden and about to go; it is not the one to raise.
    if (m_CreateName && m_CreateName->isVisible()) {
        m_CreateName->setWindowState(m_CreateName->windowState() & ~Qt::WindowMinimized);
        m_CreateName->raise();
        m_CreateName->activateWindow();
        return;
    }
    // The class, not the accessor of the same name.
    m_CreateName = new ::CreateName(*this);
    connect(m_CreateName, &QDialog::finished, this, &Penwick::createNameClosed);
    m_CreateName->show();
}

void Penwick::createNameClosed()
{
    const bool refill = m_listAwaitsCreateClosing && List1->count() == 0;
    m_listAwaitsCreateClosing = false;
    // A list filled since (a save, an Open) already shows the current document.
    if (refill)
        fillList1();
}

void Penwick::OpenMnu_Click()
{
    clearList1();
    RichTextBox1->setTextRTF({});
    bool opened = false;
    {
        GetHelpFiles chooser(*this);
        opened = chooser.exec() == QDialog::Accepted;
    }
    // Opening loaded the chosen document; otherwise the list emptied above shows the current
    // document's topics again, so that they can still be chosen.
    if (!opened)
        fillList1();
    setTitleLabel();
    // A current document deleted in the chooser holds no topic any more: the count shown and
    // a pending edit must not describe it as it was.
    if (!QFileInfo::exists(CurrentHelpFileName)) {
        RecordCount = 0;
        LabelsSaved->setText(QString::number(RecordCount));
        if (EditFlag)
            endEditMode(QStringLiteral("The document of the topic being edited was deleted, so "
                                       "nothing will be replaced. Your entries are kept; Save "
                                       "adds them as a new topic."));
    }
    setGetStartedVisibility();
}
