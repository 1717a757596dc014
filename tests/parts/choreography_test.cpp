// The choreography's frames, recorded without GL: what is drawn when, in which
// order, with which transform, colour and uniforms, and the random-number order.
#include "parts/choreography.h"
#include "parts/relay_scene_sink.h"
#include "tests/support/scene_recorder.h"
#include "platform/show_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

choreography_frame frame_at(double s, double t = -1.0) {
    choreography_frame f;
    f.scene_time = s;
    f.show_time = t < 0.0 ? s : t;
    f.note_p1 = 0.25f;
    f.spectrum_value = 0.5f;
    f.spectrum_gain = 2.0;
    f.position_y = 2.0 * s - 20.0;
    f.frame_camera = view_pose{vector3::of(0, 1, 0), vector3::of(0, 5, 0), vector3::of(0, 0, 1)};
    f.projector_camera = view_pose{vector3::of(0, 0, 0), vector3::of(0, 0, 0), vector3::of(0, 0, 0)};
    return f;
}

scene_recorder record(double s, double t = -1.0) {
    scene_recorder r;
    draw_choreography(frame_at(s, t), r);
    return r;
}

size_t count_meshes(double s, scene_mesh mesh) { return record(s).meshes(mesh).size(); }

// 40-sided tubes are group A (always 5) and group C.
size_t group_c_tubes(double s) { return record(s).tubes_with_sides(40).size() - 5; }

// The tubes of one group, read from a frame the caller keeps alive.
std::vector<const recorded_draw*> tubes(const scene_recorder& r, int sides) { return r.tubes_with_sides(sides); }

bool same_draws(const scene_recorder& a, const scene_recorder& b) {
    if (a.draws.size() != b.draws.size()) return false;
    for (size_t i = 0; i < a.draws.size(); ++i) {
        const recorded_draw& x = a.draws[i];
        const recorded_draw& y = b.draws[i];
        if (x.object_transform != y.object_transform || x.colour != y.colour || x.radii != y.radii ||
            x.uniforms_f != y.uniforms_f || x.uniforms_i != y.uniforms_i || x.first_key != y.first_key)
            return false;
    }
    return true;
}

// Counts the relayed calls by kind and notes any call begun inside another.
class counting_relay : public relay_scene_sink {
public:
    std::map<sink_call, int> calls;
    int open = 0;
    bool nested = false;

protected:
    void before(sink_call) override { nested = nested || open > 0, ++open; }
    void after(sink_call call) override { --open, ++calls[call]; }
};

}  // namespace

TEST(Choreography, ARelayPassesTheFrameOnUnchangedAndNamesEachCall) {
    for (double s : {30.0, 150.0, 250.0}) {
        const scene_recorder direct = record(s);
        scene_recorder behind;
        counting_relay relay;
        relay.forward_to(behind);
        draw_choreography(frame_at(s), relay);
        EXPECT_TRUE(same_draws(direct, behind)) << s;
        EXPECT_EQ(behind.samplers, direct.samplers) << s;
        const auto tube_draws = std::count_if(direct.draws.begin(), direct.draws.end(),
                                              [](const recorded_draw& d) { return d.is_tube; });
        EXPECT_EQ(relay.calls[sink_call::tube], tube_draws) << s;
        EXPECT_EQ(relay.calls[sink_call::mesh], long(direct.draws.size()) - tube_draws) << s;
        EXPECT_GT(relay.calls[sink_call::state], 0) << s;
        EXPECT_EQ(relay.open, 0);
        EXPECT_FALSE(relay.nested);
    }
}

TEST(Choreography, SameTimesGiveTheSameFrameWhateverCameBefore) {
    const scene_recorder first = record(200.0);
    record(50.0);
    show_srand(12345);
    show_rand();
    const scene_recorder again = record(200.0);
    EXPECT_TRUE(same_draws(first, again));
}

TEST(Choreography, FigureColumnGrowsFromFourToFiveCopiesPastHalfway) {
    EXPECT_EQ(count_meshes(121.0, scene_mesh::quorrel), 4u);
    EXPECT_EQ(count_meshes(121.01, scene_mesh::quorrel), 5u);
    EXPECT_EQ(count_meshes(119.0, scene_mesh::quorrel), 0u);
    EXPECT_EQ(count_meshes(150.0, scene_mesh::quorrel), 8u);
    EXPECT_EQ(count_meshes(186.0, scene_mesh::quorrel), 0u);
}

TEST(Choreography, BaseStackTransformationMeshLeavesAtThirteen) {
    EXPECT_EQ(count_meshes(12.99, scene_mesh::transf3), 1u);
    EXPECT_EQ(count_meshes(13.0, scene_mesh::transf3), 0u);
}

TEST(Choreography, WingColumnLeavesStrictlyBetween86And105) {
    // Always: the base stack's wing, two rods, the bar and the blue piece.
    EXPECT_EQ(count_meshes(86.0, scene_mesh::wings), 5u + 6u);
    EXPECT_EQ(count_meshes(86.01, scene_mesh::wings), 5u);
    EXPECT_EQ(count_meshes(104.99, scene_mesh::wings), 5u);
    EXPECT_EQ(count_meshes(105.0, scene_mesh::wings), 5u + 6u);
}

TEST(Choreography, GroupCGrowsOneStrandAtATime) {
    EXPECT_EQ(group_c_tubes(190.0), 0u);
    EXPECT_EQ(group_c_tubes(190.1), 1u);
    EXPECT_EQ(group_c_tubes(190.8), 4u);
    EXPECT_EQ(group_c_tubes(190.81), 5u);
}

TEST(Choreography, GroupFOnlyStrictlyBetween169And186) {
    EXPECT_EQ(record(169.0).tubes_with_sides(5).size(), 0u);
    EXPECT_EQ(record(169.5).tubes_with_sides(5).size(), 3u);
    EXPECT_EQ(record(186.0).tubes_with_sides(5).size(), 0u);
}

TEST(Choreography, GroupEDropsFrom45To9JustAfter86) {
    // Group E's ten 3-sided tubes come after group B's ten.
    auto lift = [](double s) {
        const scene_recorder r = record(s);
        const auto three_sided = tubes(r, 3);
        EXPECT_EQ(three_sided.size(), 20u);
        return three_sided[10]->object_transform[13];  // y of the translation
    };
    EXPECT_NEAR(lift(86.0), 18.0 + 45.0, 1e-9);
    EXPECT_NEAR(lift(86.001), 18.0 + 9.0, 1e-9);
}

TEST(Choreography, GroupARadiiAreZeroBeforeThreeThenNegative) {
    const scene_recorder early = record(2.9);
    for (const recorded_draw* d : tubes(early, 40))
        for (float r : d->radii) EXPECT_EQ(r, 0.0f);
    const scene_recorder later = record(10.0);
    for (const recorded_draw* d : tubes(later, 40))
        for (float r : d->radii) EXPECT_LT(r, 0.0f);
}

TEST(Choreography, FirstStrandIsPinnedToTheGeneratorSequence) {
    // Seed 4234234 gives 31937, 29666, 9284: r1, r2 and the first radius draw.
    const scene_recorder r = record(50.0);
    ASSERT_FALSE(r.tubes_with_sides(40).empty());
    const recorded_draw& a0 = *r.tubes_with_sides(40)[0];
    EXPECT_FLOAT_EQ(a0.first_key.x, 1.139207124710083f);
    EXPECT_FLOAT_EQ(a0.first_key.y, 0.0f);
    EXPECT_FLOAT_EQ(a0.first_key.z, 0.9728690385818481f);
    EXPECT_FLOAT_EQ(a0.radii[0], -50.80002975463867f);
    EXPECT_EQ(a0.keys, 100);
}

TEST(Choreography, OneMoreFigureCopyShiftsEveryLaterStrand) {
    // Strand B0's x depends only on its random number, not on s.
    const scene_recorder four = record(121.0);
    const scene_recorder five = record(121.01);
    EXPECT_NE(tubes(four, 3)[0]->first_key.x, tubes(five, 3)[0]->first_key.x);
}

TEST(Choreography, WingColumnMovesBackAfter230) {
    EXPECT_EQ(wing_column_depth(229.9), 0.0);
    EXPECT_NEAR(wing_column_depth(230.0), -1.48, 1e-12);
    EXPECT_NEAR(wing_column_depth(236.33), -2.18, 1e-4);
}

TEST(Choreography, CreditsWipeAndFadeInTurn) {
    const scene_recorder at_260 = record(260.0);
    EXPECT_EQ(at_260.clears, 1);
    EXPECT_TRUE(at_260.meshes(scene_mesh::credits).empty());

    const scene_recorder wiped = record(260.01);
    EXPECT_EQ(wiped.clears, 2);
    EXPECT_TRUE(wiped.meshes(scene_mesh::credits).empty());

    const scene_recorder lit = record(264.5);
    const auto lines = lit.meshes(scene_mesh::credits);
    ASSERT_EQ(lines.size(), 3u);
    const int objects[3] = {1, 2, 0};
    const float brightness[3] = {0.578f, 0.946f, 0.854f};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(lines[n]->object, objects[n]);
        EXPECT_NEAR(lines[n]->colour[0], brightness[n], 0.001f);
        EXPECT_FALSE(lines[n]->program_current);
    }
    EXPECT_NEAR(lines[1]->modelview[13] - lines[0]->modelview[13], -2.6 * 0.7, 1e-9);

    const scene_recorder gone = record(268.2);
    EXPECT_EQ(gone.clears, 2);
    EXPECT_TRUE(gone.meshes(scene_mesh::credits).empty());
}

TEST(Choreography, MaterialDspOnlyBetween26_3And225) {
    EXPECT_EQ(material_dsp(frame_at(26.29)), 0.0f);
    EXPECT_FLOAT_EQ(material_dsp(frame_at(26.3)), 1.0f);
    EXPECT_FLOAT_EQ(material_dsp(frame_at(225.0)), 1.0f);
    EXPECT_EQ(material_dsp(frame_at(225.01)), 0.0f);
    EXPECT_EQ(record(20.0).draws.front().uniforms_f.at("DSP"), 0.0f);
}

TEST(Choreography, HeaviestFrameHas50500TubeQuads) {
    EXPECT_EQ(record(200.0).tube_quads(), 50500);
}

TEST(Choreography, FrameSetUpBindsTheSceneTextures) {
    const scene_recorder r = record(30.0);
    EXPECT_EQ(r.samplers.at("texture2d_1"), 10);
    EXPECT_EQ(r.samplers.at("texture2d_2"), 29);
    EXPECT_EQ(r.samplers.at("texture2d_3"), 111);
    EXPECT_EQ(r.samplers.at("texture2d_blob"), 12);
    EXPECT_EQ(r.samplers.at("texture2d_cube"), 200);
    EXPECT_EQ(r.viewport_width, 1280);
    for (const recorded_draw& d : r.draws) EXPECT_TRUE(d.program_current);
}

// Slots other than the show's: each sampler must take the slot the frame hands
// in, not a number of its own that happens to match the show's.
TEST(Choreography, FrameSetUpBindsTheSlotsItIsHanded) {
    choreography_frame frame = frame_at(30.0);
    frame.slots = choreography_slots{1, 41, 42, 43, 44, 45};
    scene_recorder r;
    draw_choreography(frame, r);
    EXPECT_EQ(r.samplers.at("texture2d_1"), 41);
    EXPECT_EQ(r.samplers.at("texture2d_2"), 42);
    EXPECT_EQ(r.samplers.at("texture2d_3"), 43);
    EXPECT_EQ(r.samplers.at("texture2d_blob"), 44);
    EXPECT_EQ(r.samplers.at("texture2d_cube"), 45);
}
