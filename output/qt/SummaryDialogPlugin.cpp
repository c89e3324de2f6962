#include "output/qt/SummaryDialogPlugin.h"

#include <string_view>

// The plug-in's one entry; its name and type are checked against SummaryDialogEntry here, so
// that a change on one side does not compile until the other follows.
extern "C" __attribute__((visibility("default"))) QDialog* NumoraCreateSummaryDialog(
    SummaryDialogRequest& request)
{
    return new CSummaryDlg(std::move(request.summary), request.pageTitle, *request.platform, request.parent);
}

static_assert(std::string_view(kSummaryDialogEntry) == "NumoraCreateSummaryDialog");
[[maybe_unused]] static constexpr SummaryDialogEntry kEntryHasTheRightType = &NumoraCreateSummaryDialog;
