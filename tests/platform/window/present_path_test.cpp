#include "platform/window/present_path.h"

#include <gtest/gtest.h>

namespace {

struct ProbeCase {
  std::optional<std::string> renderer;
  PresentPath expected;
};

TEST(ChoosePresentPath, TheProbedRendererDecidesWithoutHints) {
  const ProbeCase cases[] = {
      {std::string("llvmpipe (LLVM 15.0.6, 256 bits)"), PresentPath::kFramebuffer},
      {std::string("softpipe"), PresentPath::kFramebuffer},
      {std::string("Mesa X11 swrast"), PresentPath::kFramebuffer},
      {std::string("Software Rasterizer"), PresentPath::kFramebuffer},
      {std::nullopt, PresentPath::kFramebuffer},
      {std::string("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)"), PresentPath::kAccelerated},
      {std::string("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"), PresentPath::kAccelerated},
      {std::string("NVIDIA GeForce GTX 1060/PCIe/SSE2"), PresentPath::kAccelerated},
  };
  for (const ProbeCase& c : cases) {
    int probes = 0;
    const PresentPath path = ChoosePresentPath({}, [&] {
      ++probes;
      return c.renderer;
    });
    EXPECT_EQ(path, c.expected) << c.renderer.value_or("(no GL)");
    EXPECT_EQ(probes, 1);
  }
}

struct HintCase {
  PresentHints hints;
  PresentPath expected;
};

TEST(ChoosePresentPath, TheUsersHintsDecideWithoutAProbe) {
  const HintCase cases[] = {
      {{std::string("0"), std::nullopt}, PresentPath::kFramebuffer},
      {{std::string("FALSE"), std::nullopt}, PresentPath::kFramebuffer},
      {{std::string("1"), std::nullopt}, PresentPath::kAccelerated},
      {{std::string("opengl"), std::nullopt}, PresentPath::kAccelerated},
      {{std::nullopt, std::string("software")}, PresentPath::kFramebuffer},
      {{std::nullopt, std::string("opengl")}, PresentPath::kAccelerated},
      {{std::nullopt, std::string("opengles2")}, PresentPath::kAccelerated},
      // The framebuffer hint is the more direct of the two.
      {{std::string("1"), std::string("software")}, PresentPath::kAccelerated},
      {{std::string("0"), std::string("opengl")}, PresentPath::kFramebuffer},
  };
  for (const HintCase& c : cases) {
    bool probed = false;
    const PresentPath path = ChoosePresentPath(c.hints, [&] {
      probed = true;
      return std::optional<std::string>("NVIDIA GeForce GTX 1060/PCIe/SSE2");
    });
    EXPECT_EQ(path, c.expected) << c.hints.framebuffer_acceleration.value_or("-") << " "
                                << c.hints.render_driver.value_or("-");
    EXPECT_FALSE(probed);
  }
}

TEST(ChoosePresentPath, EmptyHintsCountAsUnset) {
  const PresentPath path = ChoosePresentPath({std::string(""), std::string("")},
                                             [] { return std::optional<std::string>("llvmpipe"); });
  EXPECT_EQ(path, PresentPath::kFramebuffer);
}

}  // namespace
