#pragma once

#include <memory>

class QPrinter;

// Where the reader's Print command finds its printer. Tests record or redirect printing
// through this seam.
class Printers
{
public:
    virtual ~Printers() = default;
    // The system's default printer, ready to print on; nullptr when no printer is set up.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
};

// The real thing: the default printer of the print system (CUPS).
class SystemPrinters final : public Printers
{
public:
    std::unique_ptr<QPrinter> defaultPrinter() override;
};
