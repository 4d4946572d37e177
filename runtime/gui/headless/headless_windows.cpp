#include "runtime/gui/headless/headless_windows.hpp"

#include <algorithm>
#include <memory>
#include <vector>

#include "runtime/gui/backend.hpp"
#include "runtime/screen/screen.hpp"

namespace runtime::gui::headless {

namespace {

struct Window {
    int number = 0;
};

struct CloseRequest {
    int window = 0;
    std::uint64_t frame = 0;
};

std::vector<std::unique_ptr<Window>> g_open;
std::vector<CloseRequest> g_requests;

class HeadlessWindows final : public ScreenWindowToolkit {
  public:
    bool Start() override { return true; }
    Rect ScreenArea() override { return Rect{0, 0, 1280, 1024}; }
    std::optional<Rect> ActiveWindowArea() override { return std::nullopt; }

    void* OpenWindow(const WindowSpec& spec) override {
        g_open.push_back(std::make_unique<Window>(Window{spec.number}));
        return g_open.back().get();
    }

    void CloseWindow(void* native) override {
        std::erase_if(g_open, [native](const auto& w) { return w.get() == native; });
    }

    void Dispatch() override {
        const std::uint64_t frame = runtime::screen::State().framesPresented;
        std::erase_if(g_requests, [frame](const CloseRequest& request) {
            if (request.frame > frame) return false;
            for (const auto& w : g_open) {
                if (w->number == request.window) PostWindowEvent(w.get(), EventCloseRequest);
            }
            return true;
        });
    }
};

HeadlessWindows g_windows;

}  // namespace

void UseHeadlessWindows() {
    g_requests.clear();
    SetScreenWindowToolkit(&g_windows);
}

void ScheduleCloseRequest(int n, std::uint64_t frame) {
    g_requests.push_back(CloseRequest{n, frame});
}

}  // namespace runtime::gui::headless
