#include "platform/qt/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

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

Text QtTextCodec::gbk_from_utf8(std::string_view utf8, int& unmappable) const {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  const Text gbk = to_gbk(text);
  // Every "?" the encoder wrote beyond those of the input stands for a
  // character it could not hold.
  unmappable = static_cast<int>(std::count(gbk.begin(), gbk.end(), '?') - text.count(QLatin1Char('?')));
  return gbk;
}

std::string QtTextCodec::utf8_from_gbk(std::string_view gbk) const { return from_gbk(gbk).toStdString(); }

}  // namespace pagloom
