// The window's controls as the commands know them: one role name for every
// control the core reads or writes, the columns of its lists and the pages of
// its tab controls. The values are the controls' object names (GBK), defined
// in controls.cpp, since core headers hold ASCII literals only.
//
// The window is also the commands' shared data: the lists and fields below
// carry data from one command to the next (see context.h). Each role says
// which commands write it and which read it.
#pragma once

#include <string_view>

namespace pagloom {

// ---- generation tab ----
// 编辑框1: the keywords, one a line; typed by the user, read by the generation run.
extern const std::string_view kKeywordBox;
// 组合框1: the sort order; entry 0 set by start_up, read by the generation run.
extern const std::string_view kSortOrderBox;
// 编辑框7: the product count; typed by the user and overwritten by both
// conversions; read by build_keyword_page and convert_ids.
extern const std::string_view kProductCountBox;
// 编辑框8: the log; emptied and appended by the generation run.
extern const std::string_view kLogBox;
// 按钮2: the login button; caption and state set by mark_logged_in/out.
extern const std::string_view kLoginButton;

// ---- template editor ----
// 列表框1: the template folders; filled by scan_templates, its selection read
// by the template commands and the generation run.
extern const std::string_view kTemplateList;
// 编辑框2 to 编辑框5: the template in the editor (name, head, loop code, tail);
// written by load_template_into_editor, read by save_template, show_preview
// and build_keyword_page (the loop code also by affiliate_links_for_page).
extern const std::string_view kTemplateNameBox;
extern const std::string_view kHeadBox;
extern const std::string_view kLoopBox;
extern const std::string_view kTailBox;

// ---- link conversion tab ----
// 编辑框6: the link of a single conversion; typed by the user, read by convert_single.
extern const std::string_view kSingleLinkBox;
// 编辑框10: the affiliate link of a single conversion; written by convert_single.
extern const std::string_view kSingleResultBox;
// 标签9: the progress of both conversions.
extern const std::string_view kStatusLabel;
// 超级列表框2: the links to convert; rows written by import_link_file, the
// status column by convert_batch; read by convert_batch and save_converted_links.
extern const std::string_view kLinkList;
// 超级列表框3: the converted links; written by convert_batch, read by
// save_converted_links (and by the window's copy shortcut).
extern const std::string_view kConvertedList;

// ---- hidden lists ----
// 超级列表框1: the working product list; written by collect_promotion_list and
// both conversions, read by build_keyword_page, the generation run and
// convert_ids.
extern const std::string_view kWorkingList;
// 超级列表框转换链接: the rows of the last export; written by convert_ids, read
// by convert_single.
extern const std::string_view kResultList;

// ---- tab controls and viewers ----
// 选择夹1: the top tabs; disabled by convert_batch while it runs.
extern const std::string_view kTopTabs;
// 选择夹2: the inner pages; the page shown is set by the navigation commands.
extern const std::string_view kInnerPages;
// 超文本浏览框1: the login viewer; its address is what probe_login requests again.
extern const std::string_view kLoginViewer;
// 超文本浏览框2: the template preview (show_preview).
extern const std::string_view kPreviewViewer;
// 超文本浏览框3: the help page (show_instructions_page).
extern const std::string_view kHelpViewer;

// ---- hyperlinks, opened by open_hyperlink ----
extern const std::string_view kDownloadLink;   // 超级链接框1
extern const std::string_view kTutorialLink;   // 超级链接框2
extern const std::string_view kLinkRulesLink;  // 超级链接框3

// Columns of the lists, 0-based.
namespace working_list {
enum Column : int { kItemId, kTitle, kMerchant };
}
namespace result_list {
enum Column : int { kNumber, kTitle, kAffiliateLink, kExtra };
}
namespace link_list {
enum Column : int { kLink, kTitle, kStatus };
}
namespace converted_list {
enum Column : int { kAffiliateLink, kTitle };
}

// Pages of kInnerPages.
enum InnerPage : int {
  kLoginPage = 0,
  kEditorPage = 1,
  kLogPage = 2,
  kPreviewPage = 3,
  kInstructionsPage = 4,
};

// Pages of kTopTabs.
inline constexpr int kGenerationTab = 0;
inline constexpr int kConversionTab = 1;

}  // namespace pagloom
