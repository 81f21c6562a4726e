#include "preferences/dictionary/update_run.h"

#include "celldict/update/uid_scan.h"
#include "celldict/update/update_log.h"
#include "platform/ui/window_registry.h"
#include "preferences/dictionary/pane_bundle.h"

namespace dictpane {

namespace fs = std::filesystem;
using celldict::update::PaneQueryOutcome;
using platform::ui::Rect;

namespace {

constexpr double kWidth = 460;
constexpr double kHeight = 300;

// The USER of the first listed dictionary with this uid: a cell dictionary's name.
std::string title_for(const std::vector<DictEntry>& listed, const std::string& uid) {
  for (const DictEntry& entry : listed) {
    if (!entry.uid || celldict::update::parse_uid(*entry.uid) != uid) continue;
    const std::string* user = entry.find("USER");
    return user != nullptr ? *user : std::string();
  }
  return {};
}

}  // namespace

UpdateRun::UpdateRun(platform::RunLoop& loop, platform::ui::Window& parent,
                     fs::path dictionaries, std::string service_base,
                     platform::ui::Button* updateNow, platform::ui::TextField* updateStatus,
                     std::vector<DictEntry> listed)
    : loop_(loop),
      parent_(parent),
      dictionaries_(std::move(dictionaries)),
      service_base_(std::move(service_base)),
      _updateNow(updateNow),
      _updateStatus(updateStatus),
      listed_(std::move(listed)),
      panel_(parent.program(), kUpdatePanelName, Rect{0, 0, kWidth, kHeight}),
      main_(std::make_shared<panekit::MainThread>(loop)) {
  if (parent.registry() != nullptr) parent.registry()->add(panel_);
  build_panel();
}

UpdateRun::~UpdateRun() {
  stopFlag_->store(true);
  for (const auto& row : rows_) row->stop_quietly();
  main_->close();
  join_worker();
  if (panel_.is_sheet()) panel_.order_out();
}

void UpdateRun::join_worker() {
  if (worker_.joinable()) worker_.join();
}

void UpdateRun::build_panel() {
  auto root = std::make_unique<platform::ui::View>(Rect{0, 0, kWidth, kHeight});
  auto table = std::make_unique<platform::ui::TableView>(Rect{16, 56, kWidth - 32, kHeight - 72});
  table->set_identifier("updateList");
  table->add_column({"ROW", "", kWidth - 32});
  table->set_row_height(UpdateViewController::kRowHeight);
  _updateList = &root->add_subview(std::move(table));
  auto quit = std::make_unique<platform::ui::Button>(Rect{kWidth - 116, 14, 100, 28}, "Quit");
  quit->set_identifier("quitUpdates");
  quit->set_action([this](platform::ui::Button&) { quitUpdates(); });
  _quitButton = &root->add_subview(std::move(quit));
  panel_.set_content_view(std::move(root));
}

void UpdateRun::setUpdateStatus(const std::string& text) {
  if (_updateStatus == nullptr) return;
  _updateStatus->set_text(text);
  redisplay_window_of(_updateStatus);
}

void UpdateRun::start(std::function<void()> updated) {
  if (running_) return;
  running_ = true;
  querying_ = true;
  updated_ = std::move(updated);
  _quitButton->set_enabled(true);
  if (_updateNow != nullptr) _updateNow->set_enabled(false);
  setUpdateStatus(pane_string("QUERY_UPDATE_LIST"));
  worker_ = std::thread([this, main = main_] {
    const PaneQueryOutcome outcome =
        celldict::update::query_update_rows(dictionaries_, service_base_, limits_);
    main->post([this, outcome] { updateQueryDone(outcome); });
  });
}

void UpdateRun::updateQueryDone(const PaneQueryOutcome& outcome) {
  join_worker();
  querying_ = false;
  if (outcome.status != PaneQueryOutcome::Status::Rows || outcome.rows.empty()) {
    const std::string_view key = outcome.status == PaneQueryOutcome::Status::Rows
                                     ? std::string_view("DARUZ_DICT_IS_UPTODATE")
                                     : outcome.status_key();
    setUpdateStatus(pane_string(key));
    if (_updateNow != nullptr) _updateNow->set_enabled(true);
    running_ = false;
    return;
  }
  rows_.clear();
  int index = 0;
  for (const celldict::update::UpdateRow& row : outcome.rows) {
    auto controller = std::make_shared<UpdateViewController>(main_, row, index++,
                                                              _updateList->frame().width);
    controller->setTitle(title_for(listed_, row.uid));
    celldict::update::updlog("Downloaded from '%s'. UID=%s VER=%s",
                             celldict::update::loggable(row.url).c_str(), row.uid.c_str(),
                             celldict::update::loggable(row.version).c_str());
    rows_.push_back(std::move(controller));
  }
  _updateList->set_data_source(this);
  _updateList->set_delegate(this);
  _updateList->reload_data();
  stopFlag_->store(false);
  celldict::update::updlog("Now show the update panel...");
  if (!panel_.begin_sheet(parent_, loop_, [](int) {})) {
    rows_.clear();
    if (_updateNow != nullptr) _updateNow->set_enabled(true);
    running_ = false;
    return;
  }
  updateDictStart();
}

void UpdateRun::updateDictStart() {
  // The worker walks this run's rows only, through its own copy of the list.
  worker_ = std::thread([rows = rows_, stop = stopFlag_, main = main_, folder = dictionaries_,
                         limits = limits_, this] {
    for (const auto& row : rows) {
      if (stop->load()) break;
      row->download(folder, limits);
    }
    main->post([this] { downloadsEnded(); });
  });
}

void UpdateRun::downloadsEnded() {
  join_worker();
  downloads_done_ = true;
  // The sheet stays until the user quits it.
  if (quitting_) updateDone();
}

void UpdateRun::quitUpdates() {
  if (!running_ || quitting_) return;
  quitting_ = true;
  stopFlag_->store(true);
  _quitButton->set_enabled(false);
  for (const auto& row : rows_) row->stop_quietly();
  // The run ends once the worker has: nothing is told while a folder is half built.
  if (downloads_done_) updateDone();
}

void UpdateRun::updateDone() {
  setUpdateStatus("");
  if (_updateNow != nullptr) _updateNow->set_enabled(true);
  running_ = false;
  if (updated_) updated_();
  if (panel_.is_sheet()) panel_.end_sheet(0);
}

int UpdateRun::number_of_rows(const platform::ui::TableView& table) {
  return &table == _updateList ? static_cast<int>(rows_.size()) : 0;
}

std::optional<std::string> UpdateRun::object_value(const platform::ui::TableView&,
                                                   std::string_view, int) {
  return std::string();
}

void UpdateRun::will_display_cell(platform::ui::TableView& table, platform::ui::TableCell& cell,
                                  std::string_view, int row) {
  if (&table != _updateList || row < 0 || row >= static_cast<int>(rows_.size())) return;
  UpdateViewController& controller = *rows_[row];
  if (std::unique_ptr<platform::ui::View> view = controller.take_view()) {
    table.add_subview(std::move(view));
  }
  cell.view = controller.view();
}

}  // namespace dictpane
