#pragma once

#include <QMainWindow>

// The authoring program's main window.
class Penwick : public QMainWindow
{
    Q_OBJECT

public:
    explicit Penwick(QWidget *parent = nullptr);
};
