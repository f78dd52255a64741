#include "app/font_warmup.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

using namespace odecet;

namespace {

using ConfigPtr = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;

std::string Unparse(FcPattern* pattern) {
  FcChar8* text = FcNameUnparse(pattern);
  std::string result = text != nullptr ? reinterpret_cast<const char*>(text) : "";
  FcStrFree(text);
  return result;
}

std::set<std::string> AllFonts(FcConfig* config) {
  FcPattern* any = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, FC_STYLE, nullptr);
  FcFontSet* fonts = FcFontList(config, any, objects);
  std::set<std::string> names;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i)
    names.insert(Unparse(fonts->fonts[i]));
  FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(any);
  return names;
}

// What a program gets for a request: the chosen font with every rendering setting the rules add.
std::string Match(FcConfig* config, const char* request) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string chosen = match != nullptr ? Unparse(match) : "";
  FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return chosen;
}

}  // namespace

// Skipping the template directory must leave fontconfig's configuration as FcInit() loads it: the
// same fonts, chosen the same way for the window's families and the usual generic ones.
TEST(FontWarmupTest, LoadsTheConfigurationFcInitLoads) {
  const ConfigPtr own(LoadSystemFontConfig(), &FcConfigDestroy);
  const ConfigPtr reference(FcInitLoadConfigAndFonts(), &FcConfigDestroy);
  ASSERT_NE(own, nullptr);
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(AllFonts(own.get()), AllFonts(reference.get()));
  for (const char* request :
       {"MS Sans Serif:pixelsize=11", "Sans Serif:pixelsize=12", "sans-serif:lang=cs", "serif:bold",
        "monospace:pixelsize=13", "Arial", "Helvetica:italic", "DejaVu Sans"}) {
    SCOPED_TRACE(request);
    EXPECT_EQ(Match(own.get(), request), Match(reference.get(), request));
  }
}
