#include "platform/controls.h"

namespace pagloom {

const std::string_view kKeywordBox = "编辑框1";
const std::string_view kSortOrderBox = "组合框1";
const std::string_view kProductCountBox = "编辑框7";
const std::string_view kLogBox = "编辑框8";
const std::string_view kLoginButton = "按钮2";
const std::string_view kTemplateList = "列表框1";
const std::string_view kTemplateNameBox = "编辑框2";
const std::string_view kHeadBox = "编辑框3";
const std::string_view kLoopBox = "编辑框4";
const std::string_view kTailBox = "编辑框5";
const std::string_view kSingleLinkBox = "编辑框6";
const std::string_view kSingleResultBox = "编辑框10";
const std::string_view kStatusLabel = "标签9";
const std::string_view kLinkList = "超级列表框2";
const std::string_view kConvertedList = "超级列表框3";
const std::string_view kWorkingList = "超级列表框1";
const std::string_view kResultList = "超级列表框转换链接";
const std::string_view kTopTabs = "选择夹1";
const std::string_view kInnerPages = "选择夹2";
const std::string_view kLoginViewer = "超文本浏览框1";
const std::string_view kPreviewViewer = "超文本浏览框2";
const std::string_view kHelpViewer = "超文本浏览框3";
const std::string_view kDownloadLink = "超级链接框1";
const std::string_view kTutorialLink = "超级链接框2";
const std::string_view kLinkRulesLink = "超级链接框3";

}  // namespace pagloom
