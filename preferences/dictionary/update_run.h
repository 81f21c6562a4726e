// "Update now": the update service is asked which of the user's cell dictionaries have other
// versions; with any, a sheet shows one row per dictionary while a worker downloads and
// rebuilds them one after the other into their staging folders. Quitting stops the rows, waits
// for the worker, tells the server and ends the sheet.
//
// Each run owns its rows and its worker: the worker walks the rows of its own run only, and a
// new run starts only once this one has ended.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "celldict/update/pane_query.h"
#include "platform/runloop.h"
#include "platform/ui/controls.h"
#include "platform/ui/panel.h"
#include "platform/ui/table_view.h"
#include "preferences/dictionary/dict_scan.h"
#include "preferences/panekit/main_thread.h"
#include "preferences/dictionary/update_row.h"

namespace dictpane {

inline constexpr const char* kUpdatePanelName = "DaruzDictUpdate";

class UpdateRun : public platform::ui::TableDataSource, public platform::ui::TableDelegate {
 public:
  // `updateNow` and `updateStatus` are the pane's controls, which outlive the run (the pane
  // ends the run before its view goes); `listed` gives the rows their titles.
  UpdateRun(platform::RunLoop& loop, platform::ui::Window& parent,
            std::filesystem::path dictionaries, std::string service_base,
            platform::ui::Button* updateNow, platform::ui::TextField* updateStatus,
            std::vector<DictEntry> listed);
  // Stops the query or the downloads and waits for the worker.
  ~UpdateRun() override;
  UpdateRun(const UpdateRun&) = delete;
  UpdateRun& operator=(const UpdateRun&) = delete;

  // Starts the query. `updated` runs when a run with rows ends: the server is to be told.
  void start(std::function<void()> updated);
  // The sheet's quit button.
  void quitUpdates();

  bool is_running() const { return running_; }
  // The query ended: with rows the sheet shows them; otherwise the status says why not.
  bool is_querying() const { return querying_; }
  bool downloads_finished() const { return downloads_done_; }
  platform::ui::Window& panel() { return panel_; }
  const std::vector<std::shared_ptr<UpdateViewController>>& rows() const { return rows_; }
  celldict::update::TransferLimits& limits() { return limits_; }

  int number_of_rows(const platform::ui::TableView& table) override;
  std::optional<std::string> object_value(const platform::ui::TableView& table,
                                          std::string_view column, int row) override;
  void will_display_cell(platform::ui::TableView& table, platform::ui::TableCell& cell,
                         std::string_view column, int row) override;

 private:
  void build_panel();
  void updateQueryDone(const celldict::update::PaneQueryOutcome& outcome);
  void updateDictStart();
  void downloadsEnded();
  void updateDone();
  void setUpdateStatus(const std::string& text);
  void join_worker();

  platform::RunLoop& loop_;
  platform::ui::Window& parent_;
  std::filesystem::path dictionaries_;
  std::string service_base_;
  platform::ui::Button* _updateNow;
  platform::ui::TextField* _updateStatus;
  std::vector<DictEntry> listed_;
  celldict::update::TransferLimits limits_;
  platform::ui::Panel panel_;
  platform::ui::TableView* _updateList = nullptr;
  platform::ui::Button* _quitButton = nullptr;
  std::vector<std::shared_ptr<UpdateViewController>> rows_;
  std::shared_ptr<panekit::MainThread> main_;
  std::shared_ptr<std::atomic<bool>> stopFlag_ = std::make_shared<std::atomic<bool>>(false);
  std::thread worker_;
  std::function<void()> updated_;
  bool running_ = false;
  bool querying_ = false;
  bool downloads_done_ = false;
  bool quitting_ = false;
};

}  // namespace dictpane
