// The main part's per-frame rules without GL: the clock and its slow stretches,
// the note lookup, the replay rewind, the final pass's drive values and the
// camera windows with their strict boundaries and the opening blend.
#include "geometry/spline.h"
#include "parts/start_rules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool same_pose(const view_pose& a, const view_pose& b) { return a.eye == b.eye && a.centre == b.centre && a.up == b.up; }

// Just past a window's start, as close as a double gets.
double just_after(double t) { return std::nextafter(t, 1e9); }

TEST(StartClock, StepIsScaledPast135AndAgainPast260AndWrittenBack) {
    double step = 1.0 / 60.0;
    EXPECT_EQ(advance_clock(100.0, step), 100.0 + 1.0 / 60.0);
    EXPECT_EQ(step, 1.0 / 60.0);

    step = 1.0 / 60.0;
    EXPECT_EQ(advance_clock(135.0, step), 135.0 + 1.0 / 60.0) << "the comparison is strict";
    step = 1.0 / 60.0;
    advance_clock(135.5, step);
    EXPECT_DOUBLE_EQ(step, 0.922 / 60.0);

    step = 1.0 / 60.0;
    const double after = advance_clock(261.0, step);
    EXPECT_DOUBLE_EQ(step, 0.922 * 0.56 / 60.0);
    EXPECT_NEAR(after - 261.0, 0.922 * 0.56 / 60.0, 1e-12);
}

TEST(StartClock, NegativeStepsStopAtMinusTwo) {
    double step = -0.5;
    EXPECT_EQ(advance_clock(-2.0, step), -2.0);
    step = -60.0;
    EXPECT_EQ(advance_clock(50.0, step), -2.0);
    step = -0.05;
    EXPECT_DOUBLE_EQ(advance_clock(-1.9, step), -1.95);
}

TEST(StartClock, RewindReplaysStrictlyBetween186And230) {
    EXPECT_EQ(rewound_time(186.5), 104.5);
    EXPECT_EQ(rewound_time(186.0), 186.0);
    EXPECT_EQ(rewound_time(230.0), 230.0);
    EXPECT_DOUBLE_EQ(rewound_time(229.9), 147.9);
    EXPECT_EQ(rewound_time(100.0), 100.0);
}

TEST(StartNotes, ThirtyRowsASecondClampedToTheTable) {
    spline notes;
    ASSERT_TRUE(notes.load_points_from_text("3\n1 2 0\n3 4 0\n5 6 0\n"));
    EXPECT_EQ(look_up_notes(notes, 0.0).p0, 1.0f);
    EXPECT_EQ(look_up_notes(notes, 0.04).p1, 4.0f);  // row 1
    EXPECT_EQ(look_up_notes(notes, 0.0333).p1, 2.0f) << "rows are truncated, not rounded";
    EXPECT_EQ(look_up_notes(notes, -1.5).p0, 1.0f);
    const note_values past_end = look_up_notes(notes, 250.0);
    EXPECT_EQ(past_end.p0, 5.0f);
    EXPECT_EQ(past_end.p1, 6.0f);

    spline empty;
    EXPECT_EQ(look_up_notes(empty, 10.0).p0, 0.0f);
    EXPECT_EQ(look_up_notes(empty, 10.0).p1, 0.0f);
}

TEST(StartDrive, SpectrumGainRisesFrom3AndFallsAfter256) {
    EXPECT_EQ(spectrum_gain_at(3.0), 0.0);
    EXPECT_DOUBLE_EQ(spectrum_gain_at(5.5), 1.0);
    EXPECT_DOUBLE_EQ(spectrum_gain_at(100.0), 2.0);
    EXPECT_EQ(spectrum_gain_at(260.0), 0.0);
}

TEST(StartDrive, SpectrumGainSlopes) {
    EXPECT_DOUBLE_EQ(spectrum_gain_at(4.0), 0.4);
    EXPECT_DOUBLE_EQ(spectrum_gain_at(256.5), 1.2);
    EXPECT_NEAR(spectrum_gain_at(257.0), 0.4, 1e-12);
    EXPECT_EQ(spectrum_gain_at(257.25), 0.0);
}

TEST(StartDrive, FinalPassDspAndDsp2) {
    const final_drive early = final_pass_drive(25.0, 0.8f, 2.0);
    EXPECT_EQ(early.dsp, 0.0f);
    EXPECT_EQ(early.dsp2, 1.0f);
    const final_drive late = final_pass_drive(221.0, 0.8f, 2.0);
    EXPECT_EQ(late.dsp, 0.0f);
    EXPECT_EQ(late.dsp2, 0.0f);

    const final_drive live = final_pass_drive(100.0, 0.5f, 2.0);
    EXPECT_FLOAT_EQ(live.dsp, 0.5f * 0.3f * 2.0f);
    const double wave = std::max(std::sin(100.0 * 6.283185307179586 * 2.25 + 3.1999999999999997), 0.0);
    EXPECT_FLOAT_EQ(live.dsp2, static_cast<float>(1.5 * wave * wave * wave));
    // The pulse stays between 0 and 1.5 while the ramp is full.
    for (double s = 30.0; s < 32.0; s += 0.01) {
        const float d = final_pass_drive(s, 0.0f, 0.0).dsp2;
        EXPECT_GE(d, 0.0f);
        EXPECT_LE(d, 1.5f);
    }
}

TEST(StartDrive, AmbientOcclusionSeedIsTheTruncatedScaledClock) {
    EXPECT_EQ(ssao_seed(1.0), 423424u);
    EXPECT_EQ(ssao_seed(0.5), 211712u);
    EXPECT_EQ(ssao_seed(-1.0), static_cast<unsigned>(-423424));
}

struct xyz {
    float x, y, z;
};

void expect_vector(const vector3& v, xyz want, const char* what, double t) {
    EXPECT_EQ(v.state, 1) << what << " at t = " << t;
    EXPECT_NEAR(v.x, want.x, 1e-4) << what << " at t = " << t;
    EXPECT_NEAR(v.y, want.y, 1e-4) << what << " at t = " << t;
    EXPECT_NEAR(v.z, want.z, 1e-4) << what << " at t = " << t;
}

void expect_pose(const view_pose& pose, xyz eye, xyz centre, xyz up, double t) {
    expect_vector(pose.eye, eye, "eye", t);
    expect_vector(pose.centre, centre, "centre", t);
    expect_vector(pose.up, up, "up", t);
}

// Every window's pose at one time inside it, worked out by hand from its row.
TEST(StartCamera, EachWindowsPoseByHand) {
    expect_pose(start_camera(10.0), {0, -15, 0}, {0, -11, 0}, {0, 0, 1}, 10.0);
    expect_pose(choose_camera(3.0, 0.3, 0.7).frame_camera, {0, -15.7f, 0}, {0, -11.7f, 0}, {0, 0, 1}, 3.0);

    struct row {
        double t;
        double py;
        xyz eye, centre, up;
    };
    const double p0 = 0.25, p1 = 0.5;
    const row rows[] = {
        {20.0, 20.0, {0, 20, 0}, {0, 24, 0}, {0, 0, 1}},                 // always
        {50.0, 80.0, {0, 80, 0}, {0, 76, 0}, {-1, 0, 0}},                // 41.5
        {90.0, 40.0, {0, 40, -0.81f}, {0, 40, 1}, {-1, 0, 0}},           // 86
        {140.0, 8.8, {0, 8.8f, 0}, {1, 4.8f, -0.5f}, {-1, 0, 0.075f}},   // 104, sway b = 1
        {170.0, 40.0, {0, 40, 0}, {0, 40, 1}, {-1, 0, 0}},               // 169
        {200.0, 49.6, {0, 49.6f, 0}, {0, 45.6f, 0}, {-1, 0, 0}},         // 186
        {240.0, 34.0, {0, 34, 0}, {0.6f, 30, 0}, {1, 0, 0}},             // 230, before the ramp
        {270.0, 0.0, {0, 0, 20}, {0, 0, 0}, {0, 1, 0}},                  // 260
    };
    for (const row& r : rows) {
        const windowed_camera w = camera_windows(r.t, p0, p1);
        if (r.t < 260.0) {
            EXPECT_NEAR(w.position_y, r.py, 1e-9) << "t = " << r.t;
        }
        expect_pose(w.camera, r.eye, r.centre, r.up, r.t);
    }
}

// The opening blend is the cosine ease: a quarter of the way in it has moved
// (1 - cos 45 degrees) / 2 of the distance, not a quarter.
TEST(StartCamera, OpeningBlendEasesByTheCosine) {
    EXPECT_NEAR(camera_blend_at(8.5), 0.14644660940672624, 1e-12);
    EXPECT_NEAR(camera_blend_at(13.5), 0.85355339059327373, 1e-12);
    const chosen_camera c = choose_camera(8.5, 0.0, 0.0);
    // Start eye y = 0.85 - 16, windowed eye y = 17 - 20.
    EXPECT_NEAR(c.frame_camera.eye.y, -15.15 + 12.15 * 0.14644660940672624, 1e-4);
    EXPECT_NEAR(c.frame_camera.centre.y, -11.15 + 12.15 * 0.14644660940672624, 1e-4);
}

TEST(StartCamera, StartCameraUntil6AndWindowedCameraAfter16) {
    for (double t : {-2.0, 0.0, 3.3, 6.0}) {
        const chosen_camera c = choose_camera(t, 0.3, 0.7);
        EXPECT_TRUE(same_pose(c.frame_camera, start_camera(t))) << "t = " << t;
    }
    for (double t : {16.0, 16.01, 50.0, 120.0, 150.0, 200.0, 240.0, 270.0}) {
        const chosen_camera c = choose_camera(t, 0.3, 0.7);
        EXPECT_TRUE(same_pose(c.frame_camera, camera_windows(t, 0.3, 0.7).camera)) << "t = " << t;
    }
    const chosen_camera halfway = choose_camera(11.0, 0.0, 0.0);
    EXPECT_NEAR(halfway.blend, 0.5, 1e-12);
    EXPECT_FLOAT_EQ(halfway.frame_camera.eye.y, (start_camera(11.0).eye.y + 2.0f) / 2.0f);
}

TEST(StartCamera, EachWindowStartsStrictlyAfterItsTime) {
    // 41.5: the view turns down the column.
    EXPECT_EQ(camera_windows(41.5, 0, 0).camera.up, vector3::of(0, 0, 1));
    EXPECT_EQ(camera_windows(just_after(41.5), 0, 0).camera.up, vector3::of(-1, 0, 0));
    EXPECT_FLOAT_EQ(camera_windows(just_after(41.5), 0, 0).camera.centre.y, 2.0f * 41.5f - 20.0f - 4.0f);

    // 86: the height runs back down, the eye stands off the axis.
    EXPECT_DOUBLE_EQ(camera_windows(86.0, 0, 0).position_y, 152.0);
    EXPECT_NEAR(camera_windows(just_after(86.0), 0, 0).position_y, 48.0, 1e-9);
    EXPECT_EQ(camera_windows(just_after(86.0), 0, 0).camera.eye.z, -0.81f);

    // 104: the eye returns to the axis; the note sway is off until 134.
    EXPECT_EQ(camera_windows(104.0, 0, 0).camera.eye.z, -0.81f);
    const windowed_camera w104 = camera_windows(just_after(104.0), 1.0, 1.0);
    EXPECT_EQ(w104.camera.eye.z, 0.0f);
    EXPECT_NEAR(w104.position_y, 246.8 - 1.7 * 104.0, 1e-9);
    EXPECT_EQ(w104.camera.centre.x, 0.0f);
    const windowed_camera swaying = camera_windows(135.0, 0.25, 0.5);  // b = 0.5
    EXPECT_FLOAT_EQ(swaying.camera.centre.x, 0.5f);
    EXPECT_FLOAT_EQ(swaying.camera.centre.z, -0.25f);
    EXPECT_FLOAT_EQ(swaying.camera.up.z, 0.0375f);

    // 169, 186, 230, 260.
    EXPECT_NEAR(camera_windows(169.0, 0, 0).position_y, 246.8 - 1.7 * 169.0, 1e-9);
    EXPECT_NEAR(camera_windows(just_after(169.0), 0, 0).position_y, 720.0 - 4.0 * 169.0, 1e-9);
    EXPECT_NEAR(camera_windows(186.0, 0, 0).position_y, 720.0 - 4.0 * 186.0, 1e-9);
    EXPECT_NEAR(camera_windows(just_after(186.0), 0, 0).position_y, 246.8 - 1.7 * 102.0, 1e-9);
    EXPECT_NEAR(camera_windows(230.0, 0, 0).position_y, 246.8 - 1.7 * 146.0, 1e-9);
    const windowed_camera w230 = camera_windows(just_after(230.0), 0, 0);
    EXPECT_NEAR(w230.position_y, 400.0 - 3.0 * 186.0 + 222.0, 1e-9);
    EXPECT_EQ(w230.camera.up, vector3::of(1, 0, 0));
    EXPECT_EQ(camera_windows(260.0, 0, 0).camera.up, vector3::of(1, 0, 0));
    const windowed_camera w260 = camera_windows(just_after(260.0), 0, 0);
    EXPECT_EQ(w260.camera.eye, vector3::of(0, 0, 20));
    EXPECT_NEAR(w260.position_y, 400.0 - 3.0 * 216.0 + 222.0 + 3.0 * 5.5, 1e-9) << "260 keeps the 230 height";
}

}  // namespace
