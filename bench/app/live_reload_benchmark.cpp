// The live reload loop, 200 times over: every shader file, both images and a
// mesh rewritten, reloaded and a frame drawn, with a broken shader every tenth
// time. Prints the GL objects alive (programs, shaders, textures, buffers) and
// the resident memory before and after (and every 50 reloads), and the time per
// reload. `live_reload_benchmark shaders` or `... assets` rewrites only the
// shaders or only the images and the mesh. Run by hand from data/ (it works in a
// copy of the data folders); not a test.
#include "app/app_record.h"
#include "app/live_reload.h"
#include "parts/part_start.h"
#include "tests/support/file_text.h"
#include "tests/support/gl_test_context.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int cycles = 200;
constexpr GLuint highest_name = 20000;  // names scanned for live objects

struct gl_objects {
    int programs = 0, shaders = 0, textures = 0, buffers = 0;
};

gl_objects count_objects() {
    gl_objects count;
    for (GLuint name = 1; name <= highest_name; ++name) {
        count.programs += glIsProgram(name) ? 1 : 0;
        count.shaders += glIsShader(name) ? 1 : 0;
        count.textures += glIsTexture(name) ? 1 : 0;
        count.buffers += glIsBuffer(name) ? 1 : 0;
    }
    return count;
}

double resident_mib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    const fs::path source = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / ("velmoria_reload_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* name : {"Materials", "PostProcessing", "textures", "neomeshes", "misc"})
        fs::copy(source / name, folder / name, fs::copy_options::recursive);
    fs::current_path(folder);

    std::vector<fs::path> files;
    if (only != "shaders") files = {"textures/noise.jpg", "textures/blob41b.jpg", "neomeshes/credits.obj"};
    if (only != "assets")
        for (const char* shader_folder : {"Materials", "PostProcessing"})
            for (const auto& entry : fs::directory_iterator(shader_folder)) files.push_back(entry.path());
    std::vector<std::string> contents;
    for (const fs::path& file : files) contents.push_back(read_text(file));

    // The shader logs of every build are dropped; the figures go to the real output.
    std::FILE* figures = fdopen(dup(fileno(stdout)), "w");
    setvbuf(figures, nullptr, _IOLBF, 0);
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    app.render_width = app.window_width = 160;
    app.render_height = app.window_height = 90;
    auto gl = std::make_unique<gl_test::GlTestContext>(160, 90);
    RenderContext& context = app.render_context;
    context.sizes.render_width = 160;  // as the driver hands them
    context.sizes.render_height = context.sizes.window_height = 90;
    context.create_render_target(0, 160, 90, 4);
    context.create_render_target(1, 40, 22, 0);
    context.pointer = &app.pointer_state;
    auto part = std::make_unique<part_start>();
    part->init(&context);
    app.part_slots[0] = part.get();
    app.live_reload = true;
    const auto frame = [&] {
        reload_changed_files();
        part->scene_time = 30.0;
        FrameTiming timing;
        part->draw(&timing, &context, &app.pointer_state);
        glFinish();
    };
    frame();
    for (size_t i = 0; i < files.size(); ++i) write_text(files[i], contents[i]);
    frame();  // one reload of everything before counting: allocators warmed up

    const gl_objects before = count_objects();
    const double mib_before = resident_mib();
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < cycles; ++n) {
        for (size_t i = 0; i < files.size(); ++i) write_text(files[i], contents[i]);
        if (n % 10 == 5 && only != "assets") write_text("PostProcessing/f_blurpass.glsl", "void main() { broken }\n");
        frame();
        if ((n + 1) % 50 == 0) std::fprintf(figures, "after %3d reloads: resident %.1f MiB\n", n + 1, resident_mib());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (size_t i = 0; i < files.size(); ++i) write_text(files[i], contents[i]);
    frame();
    const gl_objects after = count_objects();
    const double mib_after = resident_mib();

    std::fprintf(figures, "%d reloads of %zu files, one frame each at 160x90\n", cycles, files.size());
    std::fprintf(figures, "%.1f ms per reload and frame\n", 1000.0 * seconds / cycles);
    std::fprintf(figures, "before: programs %d, shaders %d, textures %d, buffers %d, resident %.1f MiB\n",
                 before.programs, before.shaders, before.textures, before.buffers, mib_before);
    std::fprintf(figures, "after:  programs %d, shaders %d, textures %d, buffers %d, resident %.1f MiB\n",
                 after.programs, after.shaders, after.textures, after.buffers, mib_after);
    std::fprintf(figures, "errors standing at the end: %s\n",
                 app.reload_error.empty() ? "none" : app.reload_error.c_str());
    std::fclose(figures);

    stop_live_reload();
    app.part_slots[0] = nullptr;
    part.reset();
    gl.reset();
    fs::current_path(source);
    fs::remove_all(folder);
    return 0;
}
