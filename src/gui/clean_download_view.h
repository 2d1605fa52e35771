#pragma once
// The cleaning settings page's widgets over its model: the station lists, one
// edit box per value of the cleaning set in groups, the sunken path field and
// the five buttons. Groups whose fields the model hid disappear with them.

#include <QWidget>
#include <string_view>

#include "cleaning/clean_download_dlg.h"
#include "gui/field_binder.h"

class QGridLayout;
class QGroupBox;

namespace velmor::gui {

class ModelBinding;

class CleanDownloadView : public QWidget {
    Q_OBJECT
  public:
    explicit CleanDownloadView(cleaning::CCleanDownloadDlg& model, QWidget* parent = nullptr);
    ~CleanDownloadView() override;

    // Copies every field of the model to its widget (GUI thread).
    void Refresh();

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
    FieldBinder fields_;
    ModelBinding* binding_ = nullptr;
};

}  // namespace velmor::gui
