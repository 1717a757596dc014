// One GL test context for the whole geometry GL test process: a second context
// made after the first is destroyed fails glewInit now and then, so the context
// is made on first use and kept. Each fixture sets the viewport and state it needs.
#pragma once

#include "tests/support/gl_test_context.h"

inline gl_test::GlTestContext& shared_gl_context() {
    static gl_test::GlTestContext* context = new gl_test::GlTestContext(96, 96);
    return *context;
}
