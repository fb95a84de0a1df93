// The station's config: Qt's INI layout, one section per machine, read with
// the line of every entry so that a refusal can say where it is.
//
//   [station]              ; optional: what is shared by every machine
//   journal = /var/lib/taplink/journal.sqlite
//   name = floor-2         ; as other stations and the journal name it
//   heartbeat = 10         ; seconds between its beats in the journal
//   keep-days = 365        ; transfers ended longer ago leave the journal
//
//   [floor]                ; optional: taplink-floor's web page over the journal
//   listen = 127.0.0.1:8080  ; ADDRESS:PORT; port 0 takes any free one
//   users = floor-users    ; relative to the config's folder
//   tls-cert = floor.crt   ; both or neither: HTTPS
//   tls-key = floor.key
//   plain-http = no        ; yes lets it serve HTTP on an address beyond this host
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
//   library = programs     ; where requested programs are found; never changed
//   request = 98           ; a document of this program number is a request
//   request-word = P       ; the address whose number names the wanted program
#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "language.h"
#include "link_settings.h"

namespace taplink {

struct MachineConfig {
    QString name;     // the section's title, or its name key
    QString port;     // as written
    QString portKey;  // what two ports are compared by: the device file, or "server HOST:PORT"
    int model = 0;    // kModelR40, kModelR80, kModelMemory
    LinkSettings link;
    std::uint8_t sendProto = 0x11;
    std::uint8_t recvProto = 0x12;
    int speed = 1;
    // After every transfer, nothing is pressed for this long.
    int restMs = 3000;
    QString outbox;  // absolute; it, its sent/ and refused/ exist
    QString inbox;   // absolute; exists
    // A received document whose program number is `request` asks for the
    // library's program of the number after `requestWord` in its first block.
    QString library;  // absolute; empty: no requests are answered
    std::optional<int> request;
    char requestWord = 'P';
    int line = 0;  // the section's title line
    bool operator==(const MachineConfig&) const = default;
};

// Whether a machine read again is served as before: every setting the same,
// wherever in the file it is written.
bool SameSettings(const MachineConfig& a, const MachineConfig& b);

// What two ports are compared by: a device server's host and port,
// whichever its protocol, or the device file a name opens. Nothing for a
// device server's address that is not HOST:PORT.
std::optional<QString> PortKey(const QString& port);
// A station tells the others sharing its journal that it runs every
// heartbeat; three unheard, it is taken as gone.
inline constexpr int kDefaultHeartbeatMs = 10000;

inline constexpr int kDefaultKeepDays = 365;

inline constexpr quint16 kDefaultFloorPort = 8080;

// taplink-floor's part; the station itself reads no further than checking it.
struct FloorConfig {
    QString host = QStringLiteral("127.0.0.1");  // an address, as written
    quint16 port = kDefaultFloorPort;
    QString users;            // absolute; "floor-users" beside the config unless given
    QString tlsCert, tlsKey;  // absolute, or both empty
    bool plainHttp = false;
    int listenLine = 0;  // 0 when listen is not written
    QString file;        // the config, for messages about it
};

struct StationConfig {
    QString journal;  // "" the default journal, "none", a file or postgresql://...
    QString name;     // "HOST:CONFIG" (the config's full path) unless named
    int heartbeatMs = kDefaultHeartbeatMs;
    int keepDays = kDefaultKeepDays;
    std::optional<Language> language;  // nothing: the command line's, or the original texts
    std::vector<MachineConfig> machines;
    FloorConfig floor;
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
