#include "station_config.h"

namespace taplink {

QString ConfigError::Text() const {
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(reason)
                    : QStringLiteral("%1: %2").arg(file, reason);
}

std::variant<StationConfig, ConfigError> LoadStationConfig(const QString& path) {
    return ConfigError{path, 0, QStringLiteral("not read yet")};
}

}  // namespace taplink
