// Time of one complete repaint of the drawn control, as the site code
// checker's 350 x 28 progress bar does it every 100 ms, against a baseline
// measured in the same run: one solid cairo fill of an image of that size.
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "controls/progbutton.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median microseconds per call over `samples` batches of `batch` calls.
double MedianMicros(const std::function<void(int)>& work, int samples, int batch) {
  for (int i = 0; i < batch; ++i) work(i);  // warm-up: fonts, caches
  std::vector<double> per;
  for (int s = 0; s < samples; ++s) {
    auto t0 = Clock::now();
    for (int i = 0; i < batch; ++i) work(s * batch + i);
    std::chrono::duration<double, std::micro> d = Clock::now() - t0;
    per.push_back(d.count() / batch);
  }
  return Median(per);
}

}  // namespace

int main() {
  constexpr int kSamples = 31, kBatch = 50;

  cairo_surface_t* plain = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 350, 28);
  const double baseline = MedianMicros(
      [&](int i) {
        cairo_t* cr = cairo_create(plain);
        cairo_set_source_rgb(cr, (i % 255) / 255.0, 0.5, 0.5);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(plain);
      },
      kSamples, kBatch);
  cairo_surface_destroy(plain);

  lumaro::ProgButton bar;
  bar.SetColor(8);
  bar.SetStyle(0);
  bar.SetMax(100);
  bar.SetMin(1);
  bar.SetSize(350, 28);
  const double barRedraw = MedianMicros([&](int) { bar.Redraw(); }, kSamples, kBatch);
  const double barStep = MedianMicros([&](int i) { bar.SetValue(1 + i % 100); }, kSamples, kBatch);

  lumaro::ProgButton button;
  button.SetColor(8);
  button.SetStyle(1);
  button.SetCaption("检测");
  button.SetSize(79, 23);
  button.NotifyEnterFocus();
  const double buttonRedraw = MedianMicros([&](int) { button.Redraw(); }, kSamples, kBatch);

  std::printf("%-44s %14s %10s\n", "case", "median us", "x baseline");
  auto row = [&](const std::string& name, double us) {
    std::printf("%-44s %14.2f %10.1f\n", name.c_str(), us, us / baseline);
  };
  row("baseline: solid cairo fill 350x28", baseline);
  row("progress bar 350x28: Redraw", barRedraw);
  row("progress bar 350x28: SetValue (redraws)", barStep);
  row("button 79x23 with caption and focus: Redraw", buttonRedraw);
  return 0;
}
