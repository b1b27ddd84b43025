# Velkor: `make test` builds both targets and runs every test tier; `make run` starts the demo
# program folder under Wine. Both install what is missing first.
SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
# Wine runs with the build's own prefix; HOME holds the Desktop where Log.txt lands.
export WINEPREFIX := $(abspath $(BUILD))/wineprefix
export WINEDEBUG := -all
export WINEDLLOVERRIDES := mscoree,mshtml=;winemenubuilder.exe=d
HOME_FOR_WINE := $(abspath $(BUILD))/winehome

.PHONY: all deps native win dist test test-native test-win test-tsan check-headers run fuzz fuzz-all clean skin-preview

all: dist

deps:
	@tools/install-deps.sh

$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

$(BUILD)/win/CMakeCache.txt:
	cmake -S . -B $(BUILD)/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

native: deps $(BUILD)/native/CMakeCache.txt
	cmake --build $(BUILD)/native -j $(JOBS)

win: deps $(BUILD)/win/CMakeCache.txt
	cmake --build $(BUILD)/win -j $(JOBS)

dist: win

check-headers:
	@tools/check-headers.sh

test-native: native
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

test-win: win
	cd $(BUILD)/win && ctest --output-on-failure

# The apply worker against a user-interface thread, under ThreadSanitizer (its own small build).
test-tsan: deps
	cmake -S tests/tsan -B $(BUILD)/tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)/tsan -j $(JOBS)
	cd $(BUILD)/tsan && ctest --output-on-failure

test: check-headers test-native test-tsan test-win

run: win
	@mkdir -p $(HOME_FOR_WINE)/Desktop
	HOME=$(HOME_FOR_WINE) tools/run-demo.sh $(BUILD)/dist/demo

# The drawn skin composed into one picture: build/win/skin-preview.png
skin-preview: deps $(BUILD)/win/CMakeCache.txt
	cmake --build $(BUILD)/win --target skin-preview

# A longer fuzz run of one target: make fuzz FUZZ=config_markup SECONDS=600
fuzz: native
	mkdir -p $(BUILD)/native/fuzz/corpus-$(FUZZ)
	$(BUILD)/native/fuzz/$(FUZZ)_fuzz -max_total_time=$(or $(SECONDS),600) -print_final_stats=1 \
	  $(BUILD)/native/fuzz/corpus-$(FUZZ) $(wildcard fuzz/corpus/$(FUZZ))

# Every fuzz target for SECONDS each (or until it has run RUNS inputs), FUZZ_JOBS at a time,
# one line per target: make fuzz-all SECONDS=1200 FUZZ_JOBS=2 RUNS=1000000
fuzz-all: native
	tools/fuzz-all.sh $(BUILD)/native $(or $(SECONDS),60) $(or $(FUZZ_JOBS),1) $(or $(RUNS),0)

clean:
	rm -rf $(BUILD)
