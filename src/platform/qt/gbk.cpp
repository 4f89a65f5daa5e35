#include "platform/qt/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace pagloom {

QString from_gbk(std::string_view text) {
  QStringDecoder decoder("GBK");
  return decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

Text to_gbk(const QString& text) {
  QStringEncoder encoder("GBK");
  const QByteArray bytes = encoder.encode(text);
  return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<Text> to_gbk_exact(const QString& text) {
  QStringEncoder encoder("GBK");
  const QByteArray bytes = encoder.encode(text);
  if (encoder.hasError()) return std::nullopt;
  return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace pagloom
