#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace comm {

// One serial device present on the machine.
struct SerialDeviceEntry {
    QString path;    // the name to open and to save, e.g. /dev/serial/by-id/usb-…
    QString label;   // what the user reads: the USB product name, or the device's own name
    QString device;  // the terminal it reaches, e.g. /dev/ttyUSB0
};

// Answers whether the entry at path is a serial terminal that is there.
using TerminalCheck = std::function<bool(const QString& path)>;

// The serial devices under devRoot (/dev in the program): first the stable links in
// serial/by-id, labelled with their USB product name, then the ttyUSB*, ttyACM* and ttyS*
// entries that check answers for and that no listed link already reaches. Each group is sorted
// with numbers in names compared as numbers (ttyUSB2 before ttyUSB10).
std::vector<SerialDeviceEntry> listSerialDevices(const QString& devRoot,
                                                 const TerminalCheck& check);

// The product name in a stable link's name: usb-<maker>_<product>[_<serial>]-if<NN>[-port<N>]
// gives <product> with its underscores as spaces, e.g. usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
// gives "FT232R USB UART". The maker is taken to be the first word and the last word, when it
// holds a digit, the serial number; a name of another form is its own label.
QString productNameOfLink(const QString& linkName);

// The program's check: a character device, and for a ttyS* port one the kernel found a UART
// behind (a port with no UART opens but answers nothing).
bool answersAsTerminal(const QString& path);

}  // namespace comm
