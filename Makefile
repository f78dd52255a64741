# Front door: installs what the build needs, then forwards to CMake.
BUILD_DIR ?= build
PACKAGE_DIR ?= build-package
BENCH_DIR ?= build-bench
FUZZ_DIR ?= build-fuzz
SANITIZE_DIR ?= build-sanitize
CLANG_DIR ?= build-clang
PORTABLE_DIR ?= build-portable
FRESH_DIR ?= build-fresh
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test test-e2e test-variants package check-package bench fuzz test-sanitize test-fresh deps configure build clean distclean

all: build

deps:
	@tools/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/odecet

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The core and its tests built the other ways they must build, warnings as errors, each in a
# directory of its own: with clang, and with the code that machines without SSE2 and without an
# x87 long double get (the plain digit layout, the exact rounding only).
VARIANT_FLAGS = -DODECET_BUILD_GUI=OFF -DODECET_WERROR=ON
test-variants: deps
	@tools/install-deps.sh clang
	CXX=clang++ cmake -S . -B $(CLANG_DIR) $(VARIANT_FLAGS)
	cmake --build $(CLANG_DIR) -j $(JOBS)
	cd $(CLANG_DIR) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(PORTABLE_DIR) $(VARIANT_FLAGS) -DODECET_NO_SSE2=ON -DODECET_NO_EXTENDED_POWERS=ON
	cmake --build $(PORTABLE_DIR) -j $(JOBS)
	cd $(PORTABLE_DIR) && ctest --output-on-failure -j $(JOBS)

# The real program under Xvfb and openbox, driven by xdotool as a person drives it.
test-e2e: build
	@tools/install-deps.sh xvfb openbox xdotool x11-utils imagemagick
	tests/e2e/run.sh $(BUILD_DIR)

# A Debian package, built in Release with Debian's hardening flags and installed under /usr.
# Those flags bring warnings of their own (fortified calls), so the package build fails on any
# warning too; PACKAGE_FLAGS= builds it with a compiler that warns about more.
BUILDFLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
PACKAGE_FLAGS ?= -DODECET_WERROR=ON
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	      -DODECET_BUILD_TESTS=OFF $(PACKAGE_FLAGS) \
	      -DCMAKE_CXX_FLAGS="$$($(BUILDFLAGS) CXXFLAGS) $$($(BUILDFLAGS) CPPFLAGS)" \
	      -DCMAKE_EXE_LINKER_FLAGS="$$($(BUILDFLAGS) LDFLAGS)"
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack
	@ls -l $(PACKAGE_DIR)/*.deb

# What Debian and the desktops check of the package: lintian, the menu entry, AppStream.
check-package: package
	@tools/install-deps.sh lintian desktop-file-utils appstream
	tools/check-package.sh $(PACKAGE_DIR)

# Benchmarks, in Release: the core stages, then odecet-cli against awk, then the window's start-up
# under Xvfb and openbox against a minimal Qt window.
bench: deps
	@tools/install-deps.sh libbenchmark-dev python3 mawk libx11-dev xvfb openbox x11-utils
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DODECET_BUILD_BENCH=ON \
	      -DODECET_BUILD_TESTS=OFF -DODECET_BUILD_GUI=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	python3 bench/run.py $(BENCH_DIR)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DODECET_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	  ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, from its seed corpus.
fuzz: deps
	@tools/install-deps.sh clang libclang-rt-14-dev
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DODECET_FUZZ=ON \
	      -DODECET_BUILD_TESTS=OFF -DODECET_BUILD_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The README's commands on a minimal Debian 12 root made by debootstrap, from the committed HEAD:
# by hand, not in CI (root or sudo, Debian's mirror, 15 minutes and more). Not in distclean: a
# root left mounted after a kill would take the host's /dev with it.
test-fresh:
	tools/test-fresh.sh $(FRESH_DIR)

clean:
	-cmake --build $(BUILD_DIR) --target clean

distclean:
	rm -rf $(BUILD_DIR) $(PACKAGE_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(SANITIZE_DIR) $(CLANG_DIR) \
	       $(PORTABLE_DIR)
