#include "platform/qt/qt_http.h"

namespace pagloom {

QtHttp::QtHttp(QWebEngineProfile*) {}
QtHttp::~QtHttp() = default;
HttpResponse QtHttp::send(const HttpRequest&) { return {}; }

}  // namespace pagloom
