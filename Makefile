# SPDX-License-Identifier: GPL-3.0-or-later
# ZOKA - two commands: `make run` and `make test`.
BUILD_DIR ?= build
RUN_DIR   ?= $(CURDIR)/run
JOBS      ?= $(shell nproc)
CMAKE_CONFIGURE = cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test test-build build rundir package package-check clean

# The programs and their data only; a build directory configured by `make test`
# keeps its tests (they are not built here).
build:
	@bash tools/install-deps.sh run
	@[ -f $(BUILD_DIR)/build.ninja ] || $(CMAKE_CONFIGURE) -DBUILD_TESTING=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zoka zoka-report zoka_data

# The working directory of `make run`: the program directory with every data file.
rundir: build
	@mkdir -p $(RUN_DIR)
	@cp -f data/* $(BUILD_DIR)/data/* $(RUN_DIR)/ 2>/dev/null || true

run: rundir
	cd $(RUN_DIR) && $(CURDIR)/$(BUILD_DIR)/bin/zoka

# Everything, tests included, and the package's own build (the package test reads
# it; built here, before the tests, so that no compiler runs beside the timed runs).
# The long package checks (label "slow") run with `make package-check`.
test: test-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -LE slow

package-check: test-build
	cd $(BUILD_DIR) && ctest --output-on-failure -L slow

test-build:
	@bash tools/install-deps.sh run test fuzz package
	@grep -qs '^BUILD_TESTING:BOOL=ON' $(BUILD_DIR)/CMakeCache.txt || $(CMAKE_CONFIGURE) -DBUILD_TESTING=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	bash tools/build-deb.sh $(CURDIR) $(BUILD_DIR)/package $(BUILD_DIR)

# Extra: the Debian package, $(BUILD_DIR)/zoka_<version>_<arch>.deb, built without
# tests in $(BUILD_DIR)/package with Debian's build flags (tools/build-deb.sh).
package:
	@bash tools/install-deps.sh run package
	bash tools/build-deb.sh $(CURDIR) $(BUILD_DIR)/package $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
