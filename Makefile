# Front door: installs what the build needs, then forwards to CMake.
BUILD_DIR ?= build
PACKAGE_DIR ?= build-package
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test package deps configure build clean distclean

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

# A Debian package, built in Release and installed under /usr.
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	      -DODECET_BUILD_TESTS=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack
	@ls -l $(PACKAGE_DIR)/*.deb

clean:
	-cmake --build $(BUILD_DIR) --target clean

distclean:
	rm -rf $(BUILD_DIR) $(PACKAGE_DIR)
