// The behaviour of the main window, the same in both windows, over the view a
// toolkit gives it: the folder box rule, the folder chooser, Start (one pass at
// a time, the pass the "OLE DB" box chooses), Stop, closing during a run (the
// run stops, the window closes once the pass has returned) and the error report
// of a failed pass. The toolkits only draw the controls and forward their events.
#pragma once

#include <filesystem>

#include "app/captured_folder_host.h"
#include "app/designed_font.h"
#include "app/window_view.h"
#include "convert/conversion_pass.h"

namespace ranta2kv {

class WindowController {
 public:
  // All must outlive the controller; the passes are what Start calls (the
  // window's, which tests may replace).
  WindowController(WindowView& view, CapturedFolderHost& host, const ConversionPass& convertDbf,
                   const ConversionPass& convertOleDb);

  // The event handlers of the window.
  void FormCreate();
  void Edit1Change();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void sbStopClick();
  // The window is asked to close: true when it may close now; during a run the
  // run stops and the window closes once the pass has returned.
  bool CloseRequested();

  bool PassActive() const { return pass_active_; }
  // The designed font at dpi, as the view measures it.
  FontChoice DesignedFont(int dpi) const;

 private:
  void RunPass(const ConversionPass& pass);

  WindowView& view_;
  CapturedFolderHost& host_;
  const ConversionPass& convert_dbf_;
  const ConversionPass& convert_oledb_;
  bool pass_active_ = false;      // a pass is on the stack: Start is refused
  bool close_requested_ = false;  // closed during a run: close once it returns
};

}  // namespace ranta2kv
