#pragma once
// The cleaning settings page's widgets over its model: the station lists, one
// edit box per value of the cleaning set in groups, the sunken path field and
// the five buttons. Groups whose fields the model hid disappear with them.

#include <string_view>

#include "cleaning/clean_download_dlg.h"
#include "gui/page_view.h"

class QGridLayout;
class QGroupBox;

namespace velmor::gui {

class CleanDownloadView : public PageView {
    Q_OBJECT
  public:
    explicit CleanDownloadView(cleaning::CCleanDownloadDlg& model, QWidget* parent = nullptr);
    ~CleanDownloadView() override;

  private:
    QWidget* BuildStationGroup();
    QWidget* BuildCarriageGroup();
    QWidget* BuildWiperGroup();
    QWidget* BuildStackGroup();
    QWidget* BuildMotionGroup();
    QWidget* BuildDcGroup();
    QWidget* BuildTimesGroup();
    QWidget* BuildFileRow();

    // A caption, the edit box of `field` and an optional unit, in the next row of `grid`.
    void AddRow(QGridLayout* grid, ui::TextField& field, const char* name, std::string_view caption,
                const char* unit = nullptr);
    QGroupBox* Group(const char* title, QGridLayout* grid);

    cleaning::CCleanDownloadDlg& model_;
};

}  // namespace velmor::gui
