// Qt side of the printer, for other platform sources only (the print dialog).
#pragma once

#include "platform/Printers.h"

class QPrinter;

// The toolkit printer behind a printer object (settings made on it are the printer's).
QPrinter& PrinterDevice(TPrinter& printer);
// Takes the printer and output file the toolkit printer now names (after a print dialog).
void PrinterSettingsChanged(TPrinter& printer);
