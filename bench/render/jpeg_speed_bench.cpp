// JPEG decoding speed against djpeg (a benchmark, not a test): makes a fixed set of
// pictures with ImageMagick and cjpeg, then times jpeg_decode and djpeg as whole
// processes (user + system CPU time of the child, median of the runs) for the exact
// transform (`-dct int`) and the accelerated one (`-dct fast`), and prints the
// ratios. Last, the cost of a hostile progressive file of about a thousand scans
// against the same picture as a plain progressive file.
// Usage: jpeg_speed_bench [work folder] [runs] [--no-hostile | --hostile-only]; the environment
// variable JPEG_DECODE names another build of jpeg_decode to time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct bench_case {
    const char* name;
    const char* source;
    const char* options;
};

// Sources: name, then the ImageMagick arguments that make it.
const char* const sources[][2] = {
    {"vga", "-size 640x480 -seed 7 plasma:fractal -blur 0x1"},
    {"strip", "-size 8192x16 -seed 8 plasma:fractal -blur 0x1"},
    {"qxga", "-size 2048x1536 -seed 9 plasma:fractal -blur 0x1"},
};

const bench_case cases[] = {
    {"640x480 4:2:0 baseline", "vga", "-sample 2x2"},
    {"640x480 4:4:4 baseline", "vga", "-sample 1x1"},
    {"640x480 grey baseline", "vga", "-grayscale"},
    {"640x480 4:2:0 progressive", "vga", "-sample 2x2 -progressive"},
    {"640x480 4:4:4 progressive", "vga", "-sample 1x1 -progressive"},
    {"640x480 grey progressive", "vga", "-grayscale -progressive"},
    {"640x480 4:2:0 restart 1 row", "vga", "-sample 2x2 -restart 1"},
    {"8192x16 4:2:0 baseline", "strip", "-sample 2x2"},
    {"2048x1536 4:2:0 progressive", "qxga", "-sample 2x2 -progressive"},
};

bool run_shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// User + system CPU seconds of one run of the program; negative if it could not
// be run or, unless `may_fail`, if it failed.
double child_seconds(const std::vector<std::string>& args, bool may_fail = false) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) return -1;
    if (WEXITSTATUS(status) != 0 && !may_fail) return -1;
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double median_seconds(const std::vector<std::string>& args, int runs, bool may_fail = false) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double t = child_seconds(args, may_fail);
        if (t < 0) return -1;
        times.push_back(t);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string our_decoder() {
    const char* chosen = std::getenv("JPEG_DECODE");
    return chosen && *chosen ? chosen : JPEG_DECODE_PATH;
}

std::vector<std::string> our_command(const std::string& file, const char* dct) {
    return {our_decoder(), "-dct", dct, "-outfile", "/dev/null", file};
}

std::vector<std::string> djpeg_command(const std::string& file, const char* dct) {
    return {"djpeg", "-nosmooth", "-dct", dct, "-outfile", "/dev/null", file};
}

double time_ours(const std::string& file, const char* dct, int runs, bool may_fail = false) {
    return median_seconds(our_command(file, dct), runs, may_fail);
}

double time_djpeg(const std::string& file, const char* dct, int runs) {
    return median_seconds(djpeg_command(file, dct), runs);
}

// Median seconds of each command, the commands run in turn run after run, so that
// a drift in the machine's speed touches every one alike; negative if one failed.
std::vector<double> interleaved_medians(const std::vector<std::vector<std::string>>& commands, int runs) {
    std::vector<std::vector<double>> times(commands.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t i = 0; i < commands.size(); ++i) {
            double t = child_seconds(commands[i]);
            if (t < 0) return std::vector<double>(commands.size(), -1.0);
            times[i].push_back(t);
        }
    std::vector<double> medians;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

bool make_cases(const std::string& dir) {
    for (const auto& s : sources)
        if (!run_shell("convert " + std::string(s[1]) + " " + dir + "/" + s[0] + ".ppm")) return false;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const bench_case& c = cases[i];
        std::string command = "cjpeg -quality 85 " + std::string(c.options) + " " + dir + "/" + c.source +
                              ".ppm > " + dir + "/case" + std::to_string(i) + ".jpg";
        if (!run_shell(command)) return false;
    }
    return true;
}

// ---- the hostile many-scan file ----

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Offset just past the first scan's entropy-coded data: the first marker after
// the first SOS that is neither a stuffed byte nor a restart marker.
std::size_t end_of_first_scan(const std::vector<uint8_t>& b) {
    std::size_t i = 2;  // after SOI
    while (i + 4 <= b.size()) {
        int marker = b[i + 1];
        std::size_t length = static_cast<std::size_t>(b[i + 2] << 8 | b[i + 3]);
        i += 2 + length;
        if (marker != 0xDA) continue;
        for (; i + 1 < b.size(); ++i)
            if (b[i] == 0xFF && b[i + 1] != 0 && (b[i + 1] < 0xD0 || b[i + 1] > 0xD7)) return i;
    }
    return b.size();
}

// cjpeg takes at most 100 scans per script, so the file is put together from
// several encodings of the same picture with the same tables. Each holds the same
// first DC scan and the successive-approximation scans of a few coefficients of
// every component; scans of different coefficients are independent, so the later
// encodings contribute everything after their first scan. The result is a valid
// progressive file of `scans` scans that decodes to the baseline picture.
bool make_many_scan_file(const std::string& dir, const std::string& source, const std::string& out, int& scans) {
    const int levels = 5;  // first scan at Al = 4, then refinements down to Al = 0
    const int per_part = 6;  // coefficients per encoding: 6 * 3 * 5 = 90 scans
    std::vector<uint8_t> joined;
    scans = 0;
    for (int first = 1, part = 0; first <= 63; first += per_part, ++part) {
        std::string script = dir + "/many.scans";
        std::ofstream lines(script);
        lines << "0,1,2: 0-0, 0, 4;\n";
        if (part == 0)
            for (int al = 3; al >= 0; --al) lines << "0,1,2: 0-0, " << al + 1 << ", " << al << ";\n";
        for (int c = 0; c < 3; ++c)
            for (int k = first; k < first + per_part && k <= 63; ++k) {
                lines << c << ": " << k << "-" << k << ", 0, " << levels - 1 << ";\n";
                for (int al = levels - 2; al >= 0; --al)
                    lines << c << ": " << k << "-" << k << ", " << al + 1 << ", " << al << ";\n";
            }
        lines.close();
        std::string part_file = dir + "/many_part.jpg";
        if (!run_shell("cjpeg -quality 85 -sample 2x2 -scans " + script + " " + source + " > " + part_file))
            return false;
        std::vector<uint8_t> bytes = read_bytes(part_file);
        if (bytes.size() < 4) return false;
        std::size_t from = part == 0 ? 0 : end_of_first_scan(bytes);
        joined.insert(joined.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end() - 2);  // not EOI
        int coefficients = std::min(per_part, 64 - first);
        scans += (part == 0 ? levels : 0) + coefficients * 3 * levels;
    }
    joined.push_back(0xFF);
    joined.push_back(0xD9);
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(joined.data()),
                                                 static_cast<std::streamsize>(joined.size()));
    return true;
}

void hostile_report(const std::string& dir, int runs) {
    std::string source = dir + "/huge.ppm";
    std::string plain = dir + "/huge_progressive.jpg";
    std::string many = dir + "/huge_many_scans.jpg";
    int scans = 0;
    if (!run_shell("convert -size 2048x2048 -seed 10 plasma:fractal -scale 8192x8192 " + source) ||
        !run_shell("cjpeg -quality 85 -sample 2x2 -progressive " + source + " > " + plain) ||
        !make_many_scan_file(dir, source, many, scans)) {
        std::printf("could not make the hostile file\n");
        return;
    }
    // The many-scan file decodes to the same picture as a baseline file.
    std::string baseline = dir + "/huge_baseline.jpg";
    bool same = run_shell("cjpeg -quality 85 -sample 2x2 " + source + " > " + baseline) &&
                run_shell("test \"$(djpeg " + baseline + " | md5sum)\" = \"$(djpeg " + many + " | md5sum)\"");
    int plain_runs = std::min(runs, 3);  // seconds a run: three are enough
    double ours_plain = time_ours(plain, "int", plain_runs);
    double ours_many = time_ours(many, "int", plain_runs, true);
    bool refused = child_seconds({our_decoder(), "-outfile", "/dev/null", many}) < 0;
    double djpeg_plain = time_djpeg(plain, "int", plain_runs);
    double djpeg_many = time_djpeg(many, "int", plain_runs);
    std::printf("\n8192x8192 4:2:0, plain progressive against %d scans (%s the baseline picture under djpeg);\n"
                "exact transform, median of %d:\n",
                scans, same ? "decodes to" : "DIFFERS from", plain_runs);
    std::printf("  ours  %7.3f s plain, %7.3f s many scans (%s): %.2fx\n", ours_plain, ours_many,
                refused ? "refused" : "decoded", ours_many / ours_plain);
    std::printf("  djpeg %7.3f s plain, %7.3f s many scans: %.2fx\n", djpeg_plain, djpeg_many,
                djpeg_many / djpeg_plain);
}

void speed_table(const std::string& dir, int runs) {
    std::printf("CPU time (user + system) of the whole process, median of %d runs taken in turn, in ms\n", runs);
    std::printf("%-30s %8s %8s %6s | %8s %8s %6s\n", "case", "djpeg", "ours", "ratio", "djpeg", "ours", "ratio");
    std::printf("%-30s %24s | %24s\n", "", "-dct int (exact)", "-dct fast (AAN)");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::string file = dir + "/case" + std::to_string(i) + ".jpg";
        std::vector<double> row = interleaved_medians(
            {djpeg_command(file, "int"), our_command(file, "int"), djpeg_command(file, "fast"), our_command(file, "fast")},
            runs);
        if (*std::min_element(row.begin(), row.end()) < 0) {
            std::printf("%-30s a decoder failed\n", cases[i].name);
            continue;
        }
        std::printf("%-30s %8.2f %8.2f %6.2f | %8.2f %8.2f %6.2f\n", cases[i].name, row[0] * 1e3, row[1] * 1e3,
                    row[1] / row[0], row[2] * 1e3, row[3] * 1e3, row[3] / row[2]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp/velmoria_jpeg_speed";
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as soon as it is measured
    if (!run_shell("mkdir -p " + dir) || !make_cases(dir)) {
        std::fprintf(stderr, "jpeg_speed_bench: could not make the pictures (convert, cjpeg)\n");
        return 1;
    }
    std::string only = argc > 3 ? argv[3] : "";
    if (only != "--hostile-only") speed_table(dir, runs);
    if (only == "--no-hostile") return 0;
    hostile_report(dir, runs);
    return 0;
}
