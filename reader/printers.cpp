#include "reader/printers.h"

#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter> SystemPrinters::defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}
