#pragma once

#include <QMainWindow>

// The reader's window: Leafwick's main window, and Penwick's built-in help.
class ReaderWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit ReaderWindow(QWidget *parent = nullptr);
};
