// Scraping throughput of page generation: parsing a 5 MB promotion search
// page of 5,000 entries into the working product list, and cutting one
// product's listing and details out of a 5 MB marketplace page of 5,000
// listings (one cut per marketplace page, as build_keyword_page makes it).
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "generation/generation_pages.h"
#include "generation/keyword_page.h"
#include "generation/promotion_list.h"
#include "platform/context.h"

namespace pagloom {
namespace {

constexpr int kEntries = 5000;
constexpr std::size_t kPageBytes = 5'000'000;

// A window that keeps only the list-view rows and never waits.
class BenchUi final : public Ui {
 public:
  std::vector<std::array<Text, 3>> rows;

  Text text(std::string_view) const override { return {}; }
  void set_text(std::string_view, const Text&) override {}
  void set_enabled(std::string_view, bool) override {}
  void append_log(const Text&) override {}
  void set_page(std::string_view, int) override {}
  int page(std::string_view) const override { return 0; }
  void list_clear(std::string_view) override {}
  int list_add(std::string_view, const Text&) override { return 0; }
  void list_select(std::string_view, int) override {}
  int list_selected(std::string_view) const override { return -1; }
  Text list_item(std::string_view, int) const override { return {}; }
  int combo_index(std::string_view) const override { return 0; }
  void set_combo_index(std::string_view, int) override {}
  Text combo_item(std::string_view, int) const override { return {}; }
  void rows_clear(std::string_view) override { rows.clear(); }
  int row_count(std::string_view) const override { return static_cast<int>(rows.size()); }
  int insert_row(std::string_view) override {
    rows.emplace_back();
    return static_cast<int>(rows.size()) - 1;
  }
  void set_cell(std::string_view, int row, int column, const Text& text) override {
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  }
  Text cell(std::string_view, int row, int column) const override {
    return rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  void navigate(std::string_view, const Text&) override {}
  Text current_address(std::string_view) const override { return {}; }
  void delay(int) override {}
  void sleep(int) override {}
  long long tick_ms() const override { return 0; }
  void message(const Text&) override {}
  std::optional<Text> choose_open_file(const Text&, const Text&) override { return std::nullopt; }
  std::optional<Text> choose_save_file(const Text&, const Text&) override { return std::nullopt; }
  void open_external(const Text&) override {}
};

class NoFiles final : public FileSystem {
 public:
  std::vector<Text> list(const Text&, EntryKind) const override { return {}; }
  bool exists(const Text&) const override { return false; }
  bool is_file(const Text&) const override { return false; }
  std::optional<Bytes> read(const Text&) const override { return std::nullopt; }
  bool write(const Text&, const Bytes&) override { return false; }
  bool remove(const Text&) override { return false; }
  bool create_folder(const Text&) override { return false; }
  bool is_safe_name(const Text&) const override { return true; }
};

class NoHttp final : public Http {
 public:
  HttpResponse send(const HttpRequest&) override { return {}; }
};

class NoSpreadsheet final : public Spreadsheet {
 public:
  SheetRecords read_sheet(const Text&, const std::string&) const override { return {}; }
};

// Link files are not read here.
class NoCodec final : public TextCodec {
 public:
  Text gbk_from_utf8(std::string_view utf8, int& unmappable) const override {
    unmappable = 0;
    return Text(utf8);
  }
  std::string utf8_from_gbk(std::string_view gbk) const override { return std::string(gbk); }
};

std::string item_id(int i) { return std::to_string(600000000 + i); }

// Pads each entry with GBK text and markup up to an equal share of the page.
void pad_to(std::string& page, std::size_t size) {
  static const std::string filler = "<p class=\"desc\">正品保证 包邮 七天无理由退换</p>\n";
  while (page.size() + filler.size() <= size) page += filler;
  page.append(size - page.size(), ' ');
}

std::string promotion_page(bool with_block_end) {
  std::string page = "<html><head><title>推广</title></head><body>\n";
  const std::size_t share = kPageBytes / kEntries;
  for (int i = 0; i < kEntries; ++i) {
    const std::size_t end = page.size() + share;
    Text entry = testing::promotion_entry(item_id(i), "夏季新款<span>连衣裙</span>女装 " + std::to_string(i),
                                          "小店" + std::to_string(i));
    if (!with_block_end) entry = text_replace(entry, "J_WangWang", "J_Chat");
    page += entry;
    pad_to(page, end);
  }
  return page + "</body></html>";
}

std::string market_page() {
  std::string page = "<html><body>\n";
  const std::size_t share = kPageBytes / kEntries;
  for (int i = 0; i < kEntries; ++i) {
    const std::size_t end = page.size() + share;
    page += testing::market_listing(item_id(i), "http://img.test/" + item_id(i) + ".jpg",
                                    "http://item.test/item.htm?id=" + item_id(i),
                                    std::to_string(i % 500) + ".00", std::to_string(i));
    pad_to(page, end);
  }
  return page + "</body></html>";
}

void BM_CollectPromotionList(benchmark::State& state) {
  const std::string page = promotion_page(state.range(0) != 0);
  BenchUi ui;
  NoFiles files;
  NoHttp http;
  NoSpreadsheet spreadsheet;
  NoCodec codec;
  Context ctx{ui, files, http, spreadsheet, codec, Endpoints{}, "/run", {}};
  for (auto _ : state) {
    collect_promotion_list(ctx, page);
    benchmark::DoNotOptimize(ui.rows.data());
  }
  if (ui.rows.size() != kEntries) state.SkipWithError("wrong number of rows");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kEntries);
  state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
}
// 1: well-formed entries; 0: a page whose block end marker is gone.
BENCHMARK(BM_CollectPromotionList)->ArgName("block_end")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Offset of the first `needle` at or after `from` by plain memmem, or npos.
std::size_t memmem_from(const std::string& page, std::string_view needle, std::size_t from) {
  if (from >= page.size()) return std::string::npos;
  const void* hit = memmem(page.data() + from, page.size() - from, needle.data(), needle.size());
  return hit == nullptr ? std::string::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - page.data());
}

// The floor for BM_CollectPromotionList on the same page: one memmem pass over
// the whole page for each of the three markers the parser looks for.
void BM_PromotionMarkersMemmem(benchmark::State& state) {
  const std::string page = promotion_page(state.range(0) != 0);
  std::size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const std::string_view marker : {"list-info", "onerror", "J_WangWang"}) {
      for (std::size_t at = memmem_from(page, marker, 0); at != std::string::npos;
           at = memmem_from(page, marker, at + marker.size())) {
        ++hits;
      }
    }
    benchmark::DoNotOptimize(hits);
  }
  if (hits < kEntries) state.SkipWithError("markers missing");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PromotionMarkersMemmem)->ArgName("block_end")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CutProductDetails(benchmark::State& state) {
  static const std::string page = market_page();
  const int index = static_cast<int>(state.range(0));
  const std::string id = index < 0 ? "1" : item_id(index);  // "1": no such listing
  for (auto _ : state) {
    std::optional<ProductDetails> d = cut_product_details(page, id);
    benchmark::DoNotOptimize(d);
  }
  const std::optional<ProductDetails> d = cut_product_details(page, id);
  if (index >= 0 && (!d || d->sales != std::to_string(index))) state.SkipWithError("wrong listing");
  // The cut scans the page up to the end of the listing (all of it when absent).
  const std::size_t listing = page.find("nid=\"" + id + "\"");
  const std::size_t scanned = listing == std::string::npos ? page.size() : page.find("如实描述", listing);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(scanned));
}
// Listing 0, 2,500, 4,999 and an id with no listing.
BENCHMARK(BM_CutProductDetails)
    ->ArgName("listing")
    ->Arg(0)
    ->Arg(2500)
    ->Arg(4999)
    ->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

// The floor for BM_CutProductDetails on the same page: memmem for the listing's
// start marker, then for its end marker after it.
void BM_ListingMemmem(benchmark::State& state) {
  static const std::string page = market_page();
  const int index = static_cast<int>(state.range(0));
  const std::string marker = "nid=\"" + (index < 0 ? std::string("1") : item_id(index));
  const std::string_view end = "如实描述";
  std::size_t cut_end = 0;
  for (auto _ : state) {
    const std::size_t listing = memmem_from(page, marker, 0);
    cut_end = listing == std::string::npos ? page.size() : memmem_from(page, end, listing + marker.size());
    benchmark::DoNotOptimize(cut_end);
  }
  if (index >= 0 && cut_end == std::string::npos) state.SkipWithError("listing missing");
}
BENCHMARK(BM_ListingMemmem)
    ->ArgName("listing")
    ->Arg(0)
    ->Arg(2500)
    ->Arg(4999)
    ->Arg(-1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pagloom

BENCHMARK_MAIN();
