# ZOKA - two commands: `make run` and `make test`.
BUILD_DIR ?= build
RUN_DIR   ?= $(CURDIR)/run
JOBS      ?= $(shell nproc)

.PHONY: run test deps build rundir package clean

deps:
	@bash tools/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The working directory of `make run`: the program directory with every data file.
rundir: build
	@mkdir -p $(RUN_DIR)
	@cp -f data/* $(BUILD_DIR)/data/* $(RUN_DIR)/ 2>/dev/null || true

run: rundir
	cd $(RUN_DIR) && $(CURDIR)/$(BUILD_DIR)/bin/zoka

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Extra: the Debian package, $(BUILD_DIR)/zoka_<version>_<arch>.deb.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
