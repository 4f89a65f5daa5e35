#include "app/control_factory.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <string_view>
#include <vector>

#include "app/widgets/link_label.h"

namespace pagloom {
namespace {

QString caption_text(const char* caption) {
  QString text = QString::fromUtf8(caption);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// A page stack has as many pages as its children use.
int pages_used_by(std::string_view stack) {
  int count = 0;
  for (const ControlRow& row : control_table()) {
    if (stack == row.parent) count = std::max(count, row.page + 1);
  }
  return count;
}

}  // namespace

QWidget* make_control(const ControlRow& row, QWidget* parent, QWebEngineProfile* profile) {
  const QString caption = caption_text(row.caption);
  switch (row.kind) {
    case ControlKind::TabControl: {
      auto* tabs = new QTabWidget(parent);
      for (const QString& tab : caption.split(QLatin1Char('\n'))) tabs->addTab(new QWidget, tab);
      return tabs;
    }
    case ControlKind::PageStack: {
      auto* stack = new QStackedWidget(parent);
      for (int i = pages_used_by(row.name); i > 0; --i) stack->addWidget(new QWidget);
      return stack;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(caption, parent);
    case ControlKind::Button: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::RadioButton:
      return new QRadioButton(caption, parent);
    case ControlKind::LineEdit:
      return new QLineEdit(caption, parent);
    case ControlKind::MultiLineEdit: {
      auto* box = new QPlainTextEdit(parent);
      box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setPlainText(caption);
      return box;
    }
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);  // typed text stays text, never a new entry
      combo->setCompleter(nullptr);
      combo->addItems(caption.split(QLatin1Char('\n')));
      return combo;
    }
    case ControlKind::ListView: {
      auto* view = new QTreeWidget(parent);
      if (row.multi_select) view->setSelectionMode(QAbstractItemView::ExtendedSelection);
      view->setRootIsDecorated(false);
      view->setItemsExpandable(false);
      view->setUniformRowHeights(true);
      QStringList headers;
      std::vector<int> widths;
      for (const ColumnRow& column : list_columns()) {
        if (std::string_view(column.list) != row.name) continue;
        headers << QString::fromUtf8(column.header);
        widths.push_back(column.width);
      }
      view->setColumnCount(static_cast<int>(headers.size()));
      view->setHeaderLabels(headers);
      view->header()->setStretchLastSection(false);
      for (std::size_t i = 0; i < widths.size(); ++i) view->setColumnWidth(static_cast<int>(i), widths[i]);
      return view;
    }
    case ControlKind::ClipFrame: {
      auto* frame = new QFrame(parent);
      frame->setFrameShape(QFrame::NoFrame);
      return frame;
    }
    case ControlKind::HtmlViewer: {
      auto* view = new QWebEngineView(parent);
      view->setPage(new QWebEnginePage(profile, view));
      return view;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(caption, parent);
      label->setAlignment(caption.contains(QLatin1Char('\n')) ? Qt::AlignLeft | Qt::AlignTop
                                                              : Qt::AlignLeft | Qt::AlignVCenter);
      return label;
    }
    case ControlKind::Hyperlink:
      return new LinkLabel(caption, parent);
  }
  return new QWidget(parent);
}

}  // namespace pagloom
