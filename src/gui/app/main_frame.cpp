#include "app/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

#include "app/command_strings.h"
#include "app/icons.h"
#include "app/qt_command_dialogs.h"
#include "app/qt_document_host.h"
#include "app/tle_update_runner.h"
#include "document/command_ids.h"
#include "document/commands.h"
#include "view/vantrel_view.h"

namespace vantrel {
namespace {

// Update handlers run this often for the toolbar buttons and the polarity
// pane; menus are also refreshed just before they open.
constexpr int kIdleUpdateMs = 200;

// How often the network feed is matched to its settings and given the status.
constexpr int kFeedSyncMs = 2000;

QtMessageHandler savedHandler = nullptr;

// Qt tells standard error when it finds no browser; the window says so
// itself, once, so that one warning is held back while the URL is opened.
bool OpenUrlQuietly(const QUrl& url) {
  savedHandler = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith("Unable to detect a launcher")) return;
        savedHandler(type, context, text);
      });
  const bool opened = QDesktopServices::openUrl(url);
  qInstallMessageHandler(savedHandler);
  return opened;
}

}  // namespace

MainFrame::MainFrame(VantrelDoc& doc, QString versionText, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      versionText_(std::move(versionText)),
      ownDialogs_(std::make_unique<QtCommandDialogs>(this)),
      dialogs_(ownDialogs_.get()),
      openUrl_(OpenUrlQuietly) {
  setObjectName("mainFrame");
  setWindowTitle(kUntitledTitle);
  setWindowIcon(ProgramIcon());
  view_ = new VantrelView(doc_, this);
  view_->setObjectName("view");
  setCentralWidget(view_);
  host_ = std::make_unique<QtDocumentHost>(this, view_);
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateAccelerators();
  // Room for the tallest screen (36 satellite rows, 540 pixels) below the bars.
  resize(680, 640);

  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, &MainFrame::UpdateCommandStates);
  idle->start(kIdleUpdateMs);
  UpdateCommandStates();

  // The network feed follows its settings whether or not capture runs; the
  // broker's loss and return each show once in the status bar. It starts
  // now, before any capture, so that the first packets are queued too.
  feed_ = std::make_unique<FeedRunner>(doc_);
  const auto syncFeed = [this] {
    if (const auto notice = feed_->Sync())
      statusBar()->showMessage(QString::fromStdString(*notice));
  };
  syncFeed();
  auto* feedTimer = new QTimer(this);
  connect(feedTimer, &QTimer::timeout, this, syncFeed);
  feedTimer->start(kFeedSyncMs);

  // TLE updates end in one status line, also on standard error for
  // unattended stations. The status bar names each address by its host, so
  // that the outcome fits beside the pane; standard error keeps them whole.
  tleUpdates_ = new TleUpdateRunner(
      doc_,
      [this](const QString& notice) {
        std::fprintf(stderr, "vantrel: %s\n", notice.toLocal8Bit().constData());
        static const QRegularExpression address(QStringLiteral("https?://([^/\\s,;)]+)[^\\s,;)]*"));
        statusBar()->showMessage(QString(notice).replace(address, QStringLiteral("\\1")));
      },
      this);
  host_->SetTleUpdateStarter([this] { tleUpdates_->UpdateNow(); });
}

MainFrame::~MainFrame() = default;

void MainFrame::SetDialogs(CommandDialogs* dialogs) {
  dialogs_ = dialogs != nullptr ? dialogs : ownDialogs_.get();
}

QAction* MainFrame::MakeAction(int id, const QString& text) {
  auto* a = new QAction(text, this);
  a->setData(id);
  a->setStatusTip(CommandPrompt(id));
  a->setWhatsThis(CommandPrompt(id));
  if (!CommandTooltip(id).isEmpty()) a->setToolTip(CommandTooltip(id));
  a->setCheckable(IsCheckableCommand(id));
  const QPixmap icon = ToolbarPixmap(id);
  if (!icon.isNull()) a->setIcon(QIcon(icon));
  connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
  actions_.insert(id, a);
  return a;
}

void MainFrame::CreateMenus() {
  QMenuBar* bar = menuBar();
  auto addMenu = [this](QMenuBar* b, const QString& title) {
    QMenu* m = b->addMenu(title);
    connect(m, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
    return m;
  };
  auto addSub = [this](QMenu* parent, const QString& title) {
    QMenu* m = parent->addMenu(title);
    connect(m, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
    return m;
  };

  addMenu(bar, "&File")->addAction(MakeAction(cmd::kAppExit, "E&xit"));

  QAction* copy = MakeAction(cmd::kEditCopy, "&Copy");
  copy->setShortcuts({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Insert")});
  addMenu(bar, "&Edit")->addAction(copy);

  QMenu* view = addMenu(bar, "&View");
  view->addAction(MakeAction(cmd::kViewSignal, "Signal"));
  view->addAction(MakeAction(cmd::kViewMessages, "Messages"));
  view->addAction(MakeAction(cmd::kViewSatellites, "Satellites"));
  view->addAction(MakeAction(cmd::kViewChart, "Chart"));
  view->addAction(MakeAction(cmd::kViewSpectrum, "Spectrum"));
  view->addAction(MakeAction(cmd::kViewPasses, "Passes"));
  view->addAction(MakeAction(cmd::kViewToolbar, "&Toolbar"));
  view->addAction(MakeAction(cmd::kViewStatusBar, "&Status Bar"));

  QMenu* process = addMenu(bar, "Process");
  process->addAction(MakeAction(cmd::kStart, "Start"));
  process->addAction(MakeAction(cmd::kStop, "Stop"));

  QMenu* options = addMenu(bar, "Options");
  QMenu* output = addSub(options, "Output");
  output->addAction(MakeAction(cmd::kOutputLog, "Log file"));
  output->addAction(MakeAction(cmd::kOutputRaw, "Raw file"));
  output->addAction(MakeAction(cmd::kNetworkFeed, "Network feed..."));
  options->addAction(MakeAction(cmd::kHome, "Home"));
  addSub(options, "Directories")->addAction(MakeAction(cmd::kLogDirectory, "Log file"));
  QMenu* audio = addSub(options, "Audio");
  audio->addAction(MakeAction(cmd::kMixer, "Mixer"));
  QMenu* source = addSub(audio, "Source");
  for (int n = 1; n <= 4; ++n)
    source->addAction(MakeAction(cmd::kSource1 + n - 1, QString("Source %1").arg(n)));
  options->addAction(MakeAction(cmd::kSdrOptions, "SDR..."));
  options->addAction(MakeAction(cmd::kFilter, "Filter"));
  options->addAction(MakeAction(cmd::kTrackHistory, "Track History"));
  QMenu* tle = addSub(options, "TLE");
  tle->addAction(MakeAction(cmd::kTleDefine, "Define"));
  tle->addAction(MakeAction(cmd::kTleEnable, "Enable"));
  tle->addAction(MakeAction(cmd::kTleUpdate, "Update from the web..."));
  options->addAction(MakeAction(cmd::kPassOptions, "Passes..."));
  QMenu* demodulator = addSub(options, "Demodulator");
  auto* demodulators = new QActionGroup(this);  // radio items
  for (const auto& [id, text] : {std::pair{cmd::kDemodulatorClassic, "Classic"},
                                 std::pair{cmd::kDemodulatorSensitive, "Sensitive"}}) {
    demodulator->addAction(demodulators->addAction(MakeAction(id, text)));
  }

  QMenu* help = addMenu(bar, "&Help");
  help->addAction(MakeAction(cmd::kHelpTopics, "&Help Topics"));
  help->addSeparator();
  help->addAction(MakeAction(cmd::kAppAbout, "&About Vantrel..."));
}

void MainFrame::CreateToolBar() {
  toolBar_ = addToolBar("Toolbar");
  toolBar_->setObjectName("toolBar");
  toolBar_->setIconSize(QSize(kButtonWidth, kButtonHeight));
  toolBar_->addAction(action(cmd::kStart));
  toolBar_->addAction(action(cmd::kStop));
  toolBar_->addSeparator();
  for (int id : {cmd::kViewSignal, cmd::kViewMessages, cmd::kViewSatellites, cmd::kViewChart,
                 cmd::kViewSpectrum, cmd::kViewPasses})
    toolBar_->addAction(action(id));
  toolBar_->addSeparator();
  toolBar_->addAction(action(cmd::kAppAbout));
  QAction* contextHelp = MakeAction(cmd::kContextHelp, "Help");
  contextHelp->setShortcut(QKeySequence("Shift+F1"));
  toolBar_->addAction(contextHelp);
}

void MainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("statusBar");
  polarityPane_ = new QLabel(this);
  polarityPane_->setObjectName("polarityPane");
  polarityPane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  polarityPane_->setMinimumWidth(polarityPane_->fontMetrics().horizontalAdvance("Signal upright") +
                                 12);
  bar->addPermanentWidget(polarityPane_);
  // Between prompts the message pane shows the idle text.
  connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
    if (text.isEmpty()) bar->showMessage(kIdleStatusText);
  });
  bar->showMessage(kIdleStatusText);
}

void MainFrame::CreateAccelerators() {
  // Keys that have no menu item of their own.
  const struct {
    int id;
    const char* keys;
  } keys[] = {{cmd::kFileNew, "Ctrl+N"}, {cmd::kFilePrint, "Ctrl+P"}, {cmd::kHelp, "F1"}};
  for (const auto& k : keys) {
    QAction* a = MakeAction(k.id, QString());
    a->setShortcut(QKeySequence(k.keys));
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
}

}  // namespace vantrel
