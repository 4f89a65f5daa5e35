#include "app/skin.h"

#include <QApplication>
#include <QFile>
#include <QString>

#include <array>
#include <cstddef>

// The skins live in a static library: pull their resource in explicitly, as
// nothing else references it and the linker would drop it.
static void init_skin_resources() { Q_INIT_RESOURCE(skins); }

namespace pagloom {

namespace {

// The skins stored in the program, by number, and their names.
constexpr std::array<int, 3> kSkinNumbers = {3, 7, 12};
constexpr std::array<const char*, 3> kSkinNames = {"Sandstone", "Pine", "Harbour"};

// The colour fields of skin.qss and each skin's colour for them, in the order
// of kSkinNumbers: a skin is a palette and nothing else.
struct ColourField {
  const char* name;
  std::array<const char*, 3> colours;
};
constexpr std::array<ColourField, 26> kPalettes = {{
    {"text", {"#3a3026", "#22352b", "#24323f"}},
    {"window", {"#f4efe6", "#edf3ef", "#eef2f6"}},
    {"frame", {"#d8cbb6", "#bfd3c6", "#c3ceda"}},
    {"accent", {"#8a5a2b", "#2e6b4a", "#2f5d8a"}},
    {"border", {"#cdbb9f", "#afc6b7", "#b4c1cf"}},
    {"page", {"#fbf8f2", "#f6f9f7", "#f5f7fa"}},
    {"tab", {"#eadfcd", "#d9e6dd", "#dde4ec"}},
    {"tab_text", {"#5c4a36", "#3b5446", "#3d4f61"}},
    {"tab_selected_text", {"#7a4a1c", "#1f5a3b", "#1f4e79"}},
    {"tab_hover", {"#f1e8da", "#e6efe9", "#e8eef5"}},
    {"button_top", {"#fffdf9", "#fbfdfc", "#fbfcfd"}},
    {"button_bottom", {"#ece2d2", "#dfe9e2", "#e2e8ef"}},
    {"button_border", {"#bfa987", "#98b5a3", "#9fb0c2"}},
    {"button_text", {"#3f2f1e", "#1d3528", "#1f3347"}},
    {"button_hover_bottom", {"#f6eee1", "#e8f3ec", "#e9f1f9"}},
    {"hover_border", {"#b07a3f", "#4f9470", "#5b8ab8"}},
    {"button_pressed", {"#e2d3bb", "#cfe0d5", "#d3dde8"}},
    {"disabled_text", {"#a5998a", "#8aa096", "#8c99a6"}},
    {"disabled_button", {"#eee8de", "#e5ece8", "#e6eaee"}},
    {"disabled_border", {"#d9cfbf", "#c2d2c8", "#c3ccd5"}},
    {"selection", {"#a8692e", "#3f7f5c", "#4f7fae"}},
    {"disabled_field", {"#f3eee6", "#eef3f0", "#eef1f4"}},
    {"header", {"#efe5d5", "#e1ebe4", "#e4eaf0"}},
    {"link", {"#9a4f12", "#1f6f8b", "#1d5fa8"}},
    {"link_hover", {"#b03a2e", "#b5472f", "#c0392b"}},
    {"scroll_handle", {"#d3c2a6", "#b6cfc0", "#bccad8"}},
}};

// The index of skin `n` in kSkinNumbers; -1 when none has that number.
int skin_index(int n) {
  for (std::size_t i = 0; i < kSkinNumbers.size(); ++i)
    if (kSkinNumbers[i] == n) return static_cast<int>(i);
  return -1;
}

QString style_sheet_template() {
  static const QString sheet = [] {
    init_skin_resources();
    QFile file(QStringLiteral(":/skins/skin.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }();
  return sheet;
}

}  // namespace

QString skin_style_sheet(int n) {
  const int skin = skin_index(n);
  const QString sheet = style_sheet_template();
  if (skin < 0 || sheet.isEmpty()) return {};
  const auto i = static_cast<std::size_t>(skin);
  QString filled =
      QStringLiteral("/* Skin %1, \"%2\". */\n").arg(n).arg(QLatin1String(kSkinNames[i])) + sheet;
  for (const ColourField& field : kPalettes)
    filled.replace(QLatin1Char('@') + QLatin1String(field.name) + QLatin1Char('@'),
                   QLatin1String(field.colours[i]));
  return filled;
}

void install_skin(int n) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  const QString sheet = skin_style_sheet(n);
  if (!app || sheet.isEmpty()) return;
  app->setStyleSheet(sheet);
}

}  // namespace pagloom
