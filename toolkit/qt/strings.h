#pragma once
// The toolkit's UTF-8 texts as Qt strings and back.

#include <QString>
#include <string>
#include <string_view>

namespace tk::qt {

inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string fromQString(const QString& text) { return text.toStdString(); }

}  // namespace tk::qt
