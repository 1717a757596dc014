// The overlay's window: the clocks and the section, the frame times with their
// graph, the A/V offset, the shader build error, the drive values and a timeline
// bar with the section marks on which a click or drag seeks.
#include "app/author/author_overlay.h"

#include "app/app_record.h"
#include "app/author_controls.h"
#include "app/author_mode.h"
#include "parts/choreography.h"
#include "parts/part_start.h"
#include "parts/show_sections.h"
#include "parts/start_rules.h"
#include "platform/window_messages.h"
#include "timeline/frame_driver.h"
#include "timeline/frame_step.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

#include <chrono>
#include <cmath>

namespace {

constexpr float bar_height = 22.0f;

struct overlay_state {
    bool started = false;
    frame_history history;
    std::chrono::steady_clock::time_point last_frame{};
};

overlay_state& overlay() {
    static overlay_state state;
    return state;
}

void start_imgui() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;  // no imgui.ini in the data folder
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(app.window, app.gl_context);
    ImGui_ImplOpenGL2_Init();
    overlay().started = true;
}

// The wall time since the last frame, whether or not the overlay was shown.
void note_frame_time() {
    overlay_state& state = overlay();
    const auto now = std::chrono::steady_clock::now();
    if (state.last_frame.time_since_epoch().count() != 0)
        state.history.add(std::chrono::duration<double, std::milli>(now - state.last_frame).count());
    state.last_frame = now;
}

void show_clocks() {
    const part_start* part = dynamic_cast<const part_start*>(app.part_slots[0]);
    const double show_time = part ? part->show_time : 0.0;
    ImGui::Text("music %8.3f s   show %8.3f s   scene %8.3f s", app.music_time, show_time,
                rewound_time(show_time));
    ImGui::Text("section: %s%s", show_sections()[section_index(app.frame_timing.demo_time)].name,
                app.paused ? "   (paused)" : "");
    if (app.loop_to > app.loop_from) ImGui::Text("loop %.3f .. %.3f s", app.loop_from, app.loop_to);
}

void show_frame_times() {
    const frame_history& history = overlay().history;
    const double last = history.latest();
    ImGui::Text("frame %.2f ms   %.1f fps", last, last > 0.0 ? 1000.0 / last : 0.0);
    const std::vector<float> graph = history.in_order();
    ImGui::PlotLines("##frames", graph.data(), int(graph.size()), 0, nullptr, 0.0f, 50.0f, ImVec2(-1.0f, 60.0f));
    if (std::isnan(app.heard_offset_ms))
        ImGui::Text("A/V offset: n/a");
    else
        ImGui::Text("A/V offset: %+.1f ms", app.heard_offset_ms);
    if (!app.reload_error.empty()) ImGui::TextColored(ImVec4(1.0f, 0.3f, 0.3f, 1.0f), "%s", app.reload_error.c_str());
}

void show_drive_values() {
    const part_start* part = dynamic_cast<const part_start*>(app.part_slots[0]);
    if (part == nullptr) return;
    choreography_frame frame = part->choreography_input(app.render_context);
    frame.scene_time = rewound_time(part->show_time);
    const final_drive drive = final_pass_drive(frame.scene_time, frame.spectrum_value, frame.spectrum_gain);
    ImGui::Text("DSP %.4f   DSP2 %.4f   PositionY %.3f   PP %.4f", material_dsp(frame), drive.dsp2,
                frame.position_y, frame.note_p1);
}

// The bar: the show's span with a mark per section and the current time; a click
// or a drag on it seeks.
void show_timeline_bar() {
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    ImGui::InvisibleButton("timeline", ImVec2(width, bar_height));
    if (ImGui::IsItemActive()) {
        const double target = timeline_time_at((ImGui::GetIO().MousePos.x - origin.x) / width);
        if (std::fabs(target - app.frame_timing.demo_time) > 1e-3) seek_show(target);
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 end(origin.x + width, origin.y + bar_height);
    draw->AddRectFilled(origin, end, IM_COL32(40, 40, 48, 255));
    const auto x_at = [&](double time) { return origin.x + float(timeline_fraction(time)) * width; };
    if (app.loop_to > app.loop_from)
        draw->AddRectFilled(ImVec2(x_at(app.loop_from), origin.y), ImVec2(x_at(app.loop_to), end.y),
                            IM_COL32(60, 90, 140, 255));
    for (const show_section& section : show_sections())
        draw->AddLine(ImVec2(x_at(section.music_time), origin.y), ImVec2(x_at(section.music_time), end.y),
                      IM_COL32(200, 200, 120, 255));
    const float now = x_at(app.frame_timing.demo_time);
    draw->AddLine(ImVec2(now, origin.y - 2.0f), ImVec2(now, end.y + 2.0f), IM_COL32(255, 80, 80, 255), 2.0f);
    if (ImGui::IsItemHovered()) {
        const double time = timeline_time_at((ImGui::GetIO().MousePos.x - origin.x) / width);
        ImGui::SetTooltip("%.1f s: %s", time, show_sections()[section_index(time)].name);
    }
}

void build_window() {
    ImGui::SetNextWindowPos(ImVec2(10.0f, 10.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(520.0f, 0.0f), ImGuiCond_FirstUseEver);
    ImGui::Begin("Velmoria author");
    show_clocks();
    show_frame_times();
    show_drive_values();
    show_timeline_bar();
    ImGui::End();
}

// Over the finished picture in the window's framebuffer, with the frame's GL state
// kept round it.
void draw_overlay() {
    note_frame_time();
    if (!app.author || !app.overlay_shown) return;
    if (!overlay().started) start_imgui();
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    build_window();
    ImGui::Render();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    app.render_context.bind_window_framebuffer();
    glViewport(0, 0, app.window_width, app.window_height);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glPopAttrib();
}

// Mouse presses and the wheel over the overlay are its own; everything else goes
// on to the show, releases included, so that no button is left held.
bool take_event(const void* raw) {
    if (!overlay().started || !app.overlay_shown) return false;
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    ImGui_ImplSDL2_ProcessEvent(&event);
    const bool mouse_press = event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEWHEEL;
    return mouse_press && ImGui::GetIO().WantCaptureMouse;
}

}  // namespace

void install_author_overlay() {
    overlay_pass() = draw_overlay;
    set_event_observer(take_event);
}
