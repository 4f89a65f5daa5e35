#include "mock/mock_catalogue.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <array>
#include <cmath>

namespace pagloom::testing {
namespace {

constexpr std::array<const char*, kMockProductsPerKeyword> kTitlePhrases = {
    " 2024新款 韩版修身", " 正品包邮 限时特价", " 厂家直销 品质保证",
    " 热卖爆款 送运费险", " 精选好物 新品上市", " 专柜同款 七天无理由退换"};

constexpr std::array<const char*, 8> kMerchants = {"小雅的店", "优品生活馆", "潮流前线旗舰店", "星辰数码",
                                                   "绿野家居", "阳光母婴",   "米兰小铺",       "东方好物"};

struct Registry {
  QMutex mutex;
  QHash<QString, MockProduct> by_id;
};

Registry& registry() {
  static Registry r;
  return r;
}

// FNV-1a over the keyword's UTF-8: stable across runs and platforms.
quint32 keyword_hash(const QString& keyword) {
  quint32 h = 2166136261u;
  for (const char byte : keyword.toUtf8()) {
    h ^= static_cast<unsigned char>(byte);
    h *= 16777619u;
  }
  return h;
}

// A second, independent stream of numbers per product.
quint32 mix(quint32 h, int i) {
  quint32 x = h ^ (0x9E3779B9u * static_cast<quint32>(i + 1));
  x ^= x >> 16;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return x;
}

MockProduct make_product(const QString& keyword, quint32 h, int i) {
  const quint32 r = mix(h, i);
  MockProduct p;
  p.id = QString::number(1'000'000'000ULL +
                         (static_cast<quint64>(h) * kMockProductsPerKeyword + i) % 8'000'000'000ULL);
  p.title = keyword + QString::fromUtf8(kTitlePhrases[static_cast<std::size_t>(i)]);
  p.merchant = QString::fromUtf8(kMerchants[(h + static_cast<quint32>(i)) % kMerchants.size()]);
  p.sales = 20 + static_cast<int>(r % 9000);
  p.commission_rate = 1.5 + static_cast<double>((r / 9000) % 300) / 10.0;
  const int price_cents = 990 + static_cast<int>((r / 2700000) % 50000);
  p.price = QString::number(price_cents / 100.0, 'f', 2);
  p.commission_fee =
      std::round(static_cast<double>(price_cents) * p.sales * p.commission_rate / 100.0) / 100.0;
  p.picture = QStringLiteral("http://img.mock.test/bao/uploaded/i%1/%2.jpg").arg(i % 4 + 1).arg(p.id);
  p.page = QStringLiteral("http://item.mock.test/item.htm?id=") + p.id;
  p.affiliate_link = mock_affiliate_link(p.id);
  return p;
}

}  // namespace

std::vector<MockProduct> mock_products(const QString& keyword, const QString& sort_key) {
  std::vector<MockProduct> products;
  if (keyword.isEmpty()) return products;
  const quint32 h = keyword_hash(keyword);
  for (int i = 0; i < kMockProductsPerKeyword; ++i) products.push_back(make_product(keyword, h, i));
  {
    Registry& reg = registry();
    QMutexLocker lock(&reg.mutex);
    for (const MockProduct& p : products) reg.by_id.insert(p.id, p);
  }
  auto by = [&](auto key) {
    std::stable_sort(products.begin(), products.end(),
                     [&](const MockProduct& a, const MockProduct& b) { return key(a) > key(b); });
  };
  if (sort_key == u"_totalnum") by([](const MockProduct& p) { return static_cast<double>(p.sales); });
  if (sort_key == u"_commrate") by([](const MockProduct& p) { return p.commission_rate; });
  if (sort_key == u"_totalfee") by([](const MockProduct& p) { return p.commission_fee; });
  return products;
}

std::optional<MockProduct> mock_product_by_id(const QString& id) {
  Registry& reg = registry();
  QMutexLocker lock(&reg.mutex);
  const auto it = reg.by_id.constFind(id);
  if (it == reg.by_id.constEnd()) return std::nullopt;
  return *it;
}

std::vector<MockProduct> mock_products_titled(const QString& query) {
  std::vector<MockProduct> found;
  if (query.isEmpty()) return found;
  // A full title names its keyword: make that keyword's products first.
  for (const char* phrase : kTitlePhrases) {
    const QString suffix = QString::fromUtf8(phrase);
    if (query.endsWith(suffix) && query.size() > suffix.size())
      (void)mock_products(query.chopped(suffix.size()));
  }
  {
    Registry& reg = registry();
    QMutexLocker lock(&reg.mutex);
    for (const MockProduct& p : reg.by_id)
      if (p.title.contains(query)) found.push_back(p);
  }
  std::sort(found.begin(), found.end(),
            [](const MockProduct& a, const MockProduct& b) { return a.id < b.id; });
  return found;
}

QString mock_affiliate_link(const QString& id) { return QStringLiteral("http://s.click.test/t?e=") + id; }

QString mock_export_title(const QString& id) {
  if (const auto p = mock_product_by_id(id)) return p->title;
  return QStringLiteral("商品") + id;
}

}  // namespace pagloom::testing
