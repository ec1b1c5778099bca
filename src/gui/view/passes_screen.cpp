#include "view/passes_screen.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <ctime>
#include <filesystem>

#include "orbit/look_angles.h"
#include "orbit/sgp4.h"
#include "view/screens.h"

namespace vantrel {

namespace {

constexpr double kWindow = 24 * 3600.0;
constexpr double kRecompute = 600.0;  // seconds before the list is computed again
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr int kMargin = 8;

QString LocalClock(double seconds) {
  const std::time_t t = static_cast<std::time_t>(std::llround(seconds));
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%a %H:%M:%S", &tm);
  return QString::fromLatin1(text);
}

QString Duration(double seconds) {
  const long s = std::max(0L, std::lround(seconds));
  return s >= 3600 ? QString::asprintf("%ldh%02ld", s / 3600, s / 60 % 60)
                   : QString::asprintf("%ld:%02ld", s / 60, s % 60);
}

// The point of the sky plot for an azimuth and elevation: the horizon on
// the rim, the zenith in the centre, north up and east to the right.
QPointF SkyPoint(QPoint centre, int radius, double azimuth, double elevation) {
  const double r = radius * (90.0 - std::max(0.0, elevation)) / 90.0;
  return {centre.x() + r * std::sin(azimuth * kDegToRad),
          centre.y() - r * std::cos(azimuth * kDegToRad)};
}

const ElementSet* SetNamed(const PassTable& table, const std::string& name) {
  for (const ElementSet& set : table.sets) {
    if (set.name == name) return &set;
  }
  return nullptr;
}

}  // namespace

PassesScreen::~PassesScreen() { EndJob(); }

void PassesScreen::EndJob() {
  if (!job_) return;
  job_->cancel = true;  // the job stops at its next set
  job_->thread.join();
  job_.reset();
}

bool PassesScreen::Refresh(const VantrelDoc& doc, double now) {
  Inputs inputs{doc.homeLatitude, doc.homeLongitude, doc.passMinElevation, doc.tleFile, 0, 0};
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(doc.tleFile, error);
  if (!error) inputs.modified = modified.time_since_epoch().count();
  const auto size = std::filesystem::file_size(doc.tleFile, error);
  if (!error) inputs.size = size;
  if (job_ && job_->done) {
    job_->thread.join();
    table_ = std::move(job_->table);
    inputs_ = job_->inputs;
    computedAt_ = job_->start;
    haveTable_ = true;
    job_.reset();
  }
  const bool current = haveTable_ && inputs == inputs_;
  if (current && now - computedAt_ < kRecompute && now >= computedAt_) return true;
  if (job_ && job_->inputs == inputs) return current;  // being computed
  EndJob();
  job_ = std::make_unique<Job>();
  job_->inputs = inputs;
  job_->start = now;
  Job* job = job_.get();
  const Observer home{doc.homeLatitude, doc.homeLongitude, 0.0};
  job->thread = std::thread([job, home] {
    job->table = ComputePassTable(job->inputs.file, home, job->start, job->start + kWindow,
                                  job->inputs.minElevation, &job->cancel);
    job->done = true;
  });
  return current;
}

void PassesScreen::Draw(QPainter& painter, const VantrelDoc& doc, QSize client) {
  const double now = static_cast<double>(doc.clock().Now());
  const bool current = Refresh(doc, now);
  lines_.clear();
  shown_.clear();
  const int lineHeight = LineHeight(painter);
  rowHeight_ = lineHeight;
  int y = kMargin;
  auto line = [&](const QString& text) {
    DrawTextAt(painter, kMargin, y, text);
    lines_.push_back(text);
    y += lineHeight;
  };
  line(
      QString::asprintf("Passes over home in the next 24 hours, above %.1f", doc.passMinElevation) +
      QChar(0xB0));
  if (doc.tleFile.empty()) {
    line("No TLE file: choose one with Options > TLE > Define.");
    return;
  }
  if (!current) {
    line("Computing the passes...");
    return;
  }
  if (!table_.fileRead) {
    line("The TLE file could not be read: " + QString::fromStdString(table_.readError));
    return;
  }
  if (table_.setCount == 0) {
    line("The TLE file holds no element set that can be used.");
    return;
  }
  line("AOS           Satellite          Max el  AOS-LOS az  Length");
  firstRowTop_ = y;

  const SatellitePass* selected = nullptr;
  const SatellitePass* underWay = nullptr;
  const QColor selectedBackground(255, 255, 200);
  const auto toCome = static_cast<int>(
      std::count_if(table_.passes.begin(), table_.passes.end(),
                    [now](const SatellitePass& sp) { return sp.pass.los >= now; }));
  firstRow_ = std::clamp(firstRow_, 0, std::max(0, toCome - 1));
  int row = 0;
  for (const SatellitePass& sp : table_.passes) {
    const Pass& p = sp.pass;
    if (p.los < now) continue;  // over since the list was made
    if (row++ < firstRow_) continue;
    // The last line is kept for the note of passes scrolled out of sight.
    if (y + lineHeight * (row == toCome ? 1 : 2) > client.height()) break;
    const bool inProgress = p.aos <= now;
    const bool isSelected = sp.satellite == selectedSatellite_ && p.aos == selectedAos_;
    if (isSelected) selected = &sp;
    if (inProgress && !underWay) underWay = &sp;
    QString text = QString("%1  %2  %3%4  %5-%6  %7")
                       .arg(LocalClock(p.aos))
                       .arg(QString::fromStdString(sp.satellite).left(17), -17)
                       .arg(p.maxElevation, 5, 'f', 1)
                       .arg(QChar(0xB0))
                       .arg(std::lround(p.aosAzimuth), 3)
                       .arg(std::lround(p.losAzimuth), 3)
                       .arg(Duration(p.los - p.aos));
    if (inProgress) {
      const ElementSet* set = SetNamed(table_, sp.satellite);
      if (set) {
        if (const auto look = LookAt(Sgp4(*set), {doc.homeLatitude, doc.homeLongitude, 0.0}, now)) {
          text += QString("  now el %1%2 az %3%2")
                      .arg(look->elevation, 0, 'f', 1)
                      .arg(QChar(0xB0))
                      .arg(look->azimuth, 0, 'f', 1);
          const SatelliteRecord& record =
              doc.interpreter().satellites()[static_cast<std::size_t>(sp.fm)];
          if (sp.fm != 0 && record.Heard()) {
            const double mhz = record.frequency;
            text +=
                QString::asprintf("  %.4f MHz", DopplerShifted(mhz * 1e6, look->rangeRate) / 1e6);
          }
        }
      }
      text = "> " + text;
    } else {
      text = "  " + text;
    }
    if (isSelected) {
      painter.fillRect(QRect(0, y, client.width() / 2 + 120, lineHeight), selectedBackground);
      painter.setBackground(selectedBackground);
    }
    line(text);
    painter.setBackground(kBackgroundColour);
    shown_.emplace_back(sp.satellite, p.aos);
  }
  if (shown_.empty()) {
    line("No passes in the next 24 hours.");
    return;
  }
  if (const int later = toCome - firstRow_ - static_cast<int>(shown_.size());
      later > 0 || firstRow_ > 0) {
    line(QString("  %1 earlier and %2 later passes: the mouse wheel scrolls the list")
             .arg(firstRow_)
             .arg(later));
  }
  if (!selected) selected = underWay;
  if (!selected) {
    for (const SatellitePass& sp : table_.passes) {
      if (sp.pass.los >= now) {
        selected = &sp;
        break;
      }
    }
  }
  // The sky plot fills the right part of the screen.
  const int radius = std::max(20, std::min(client.height() / 2 - 3 * kMargin, client.width() / 5));
  const QPoint centre(client.width() - radius - 3 * kMargin, client.height() / 2);
  if (selected) DrawSky(painter, doc, *selected, now, centre, radius);
}

void PassesScreen::DrawSky(QPainter& painter, const VantrelDoc& doc, const SatellitePass& sp,
                           double now, QPoint centre, int radius) const {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setBrush(QColor(0, 0, 60));
  painter.setPen(QPen(Qt::black, 1));
  painter.drawEllipse(centre, radius, radius);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(120, 120, 180), 1));
  for (int elevation : {30, 60}) {
    const int r = radius * (90 - elevation) / 90;
    painter.drawEllipse(centre, r, r);
  }
  painter.drawLine(centre.x() - radius, centre.y(), centre.x() + radius, centre.y());
  painter.drawLine(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
  painter.setPen(Qt::black);
  const int h = LineHeight(painter);
  const QFontMetrics metrics(painter.font());
  DrawTextAt(painter, centre.x() - metrics.horizontalAdvance('N') / 2, centre.y() - radius - h,
             "N");
  DrawTextAt(painter, centre.x() - metrics.horizontalAdvance('S') / 2, centre.y() + radius, "S");
  DrawTextAt(painter, centre.x() + radius + 3, centre.y() - h / 2, "E");
  DrawTextAt(painter, centre.x() - radius - 3 - metrics.horizontalAdvance('W'), centre.y() - h / 2,
             "W");
  DrawTextAt(painter, centre.x() - radius, centre.y() + radius + h,
             QString::fromStdString(sp.satellite) + "  " + LocalClock(sp.pass.aos));

  const ElementSet* set = SetNamed(table_, sp.satellite);
  if (set) {
    const Sgp4 model(*set);
    const Observer home{doc.homeLatitude, doc.homeLongitude, 0.0};
    QPainterPath track;
    const double step = std::max(5.0, (sp.pass.los - sp.pass.aos) / 200.0);
    bool first = true;
    for (double t = sp.pass.aos;; t = std::min(t + step, sp.pass.los)) {
      if (const auto look = LookAt(model, home, t)) {
        const QPointF point = SkyPoint(centre, radius, look->azimuth, look->elevation);
        if (first) {
          track.moveTo(point);
          first = false;
        } else {
          track.lineTo(point);
        }
      }
      if (t >= sp.pass.los) break;
    }
    painter.setPen(QPen(QColor(255, 220, 0), 2));
    painter.drawPath(track);
    if (!first) {
      painter.setBrush(QColor(0, 200, 0));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(track.pointAtPercent(0), 3, 3);
    }
    // The satellite now, when it is above the horizon.
    if (const auto look = LookAt(model, home, now); look && look->elevation >= 0.0) {
      painter.setBrush(Qt::red);
      painter.setPen(QPen(Qt::white, 1));
      painter.drawEllipse(SkyPoint(centre, radius, look->azimuth, look->elevation), 5, 5);
    }
  }
  painter.restore();
}

void PassesScreen::SelectAt(QPoint point) {
  if (point.y() < firstRowTop_) return;
  const auto row = static_cast<std::size_t>((point.y() - firstRowTop_) / rowHeight_);
  if (row >= shown_.size()) return;
  selectedSatellite_ = shown_[row].first;
  selectedAos_ = shown_[row].second;
}

}  // namespace vantrel
