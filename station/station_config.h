// The station's config: Qt's INI layout, one section per machine, read with
// the line of every entry so that a refusal can say where it is.
//
//   [station]              ; optional: what is shared by every machine
//   journal = /var/lib/taplink/journal.sqlite
//
//   [lathe-1]              ; a machine; the title is its name
//   port = /dev/ttyUSB0    ; a device, tcp://HOST:PORT or rfc2217://HOST:PORT
//   model = r40            ; r40 (R40/R60), r80 or memory
//   settings = 9600,N,8,1
//   handshake = none       ; none, xonxoff, rtscts or both
//   proto-send = 11
//   proto-recv = 12
//   speed = 1              ; 1 to 500
//   rest = 3               ; seconds after a transfer before the next press
//   outbox = lathe-1/out   ; relative to the config's folder
//   inbox = lathe-1/in
#pragma once

#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

#include "link_settings.h"

namespace taplink {

struct MachineConfig {
    QString name;   // the section's title, or its name key
    QString port;   // as written
    int model = 0;  // kModelR40, kModelR80, kModelMemory
    LinkSettings link;
    std::uint8_t sendProto = 0x11;
    std::uint8_t recvProto = 0x12;
    int speed = 1;
    // After every transfer, nothing is pressed for this long.
    int restMs = 3000;
    QString outbox;  // absolute; it, its sent/ and refused/ exist
    QString inbox;   // absolute; exists
    int line = 0;    // the section's title line
};

struct StationConfig {
    QString journal;  // "" the default journal, "none", a file or postgresql://...
    std::vector<MachineConfig> machines;
};

struct ConfigError {
    QString file;
    int line = 0;  // 0 when the reason is about the whole file
    QString reason;
    // "FILE:LINE: REASON" (or "FILE: REASON").
    QString Text() const;
};

// Reads and checks the whole config, then creates the folders it names.
// Either every machine is configured, or nothing is and the first fault is
// returned.
std::variant<StationConfig, ConfigError> LoadStationConfig(const QString& path);

}  // namespace taplink
