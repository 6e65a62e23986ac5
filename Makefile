# Entry points of the project; see README.md.
BUILD := build
SANITIZE_BUILD := build/sanitize
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

PREFIX ?= /usr/local

.PHONY: all deps build install package test test-fast sanitize fuzz bench compare-lua compare-basic compare-dd compare-socat compare-odbc compare-drawing demo format clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Installs quillet, the stripped engine it binds (its debug information apart), the man page,
# bash completion and the docs under PREFIX (default /usr/local), below DESTDIR when it is set.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian packages quillet_VERSION_ARCH.deb and quillet-dbg_VERSION_ARCH.deb, in build/.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null && ls "$$PWD"/quillet*.deb

# The full check: the release build with every test, then the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize

test-fast: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON \
		-DQUILLET_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# Every fuzz target (clang, AddressSanitizer and UndefinedBehaviorSanitizer, libFuzzer) built into
# build-fuzz and run for FUZZ_SECONDS each, one after another; see docs/fuzzing.md.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@./scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: build
	@./scripts/run-benchmarks.sh $(BUILD)

# The same loops in B-code and in Lua 5.4, timed side by side.
compare-lua: build
	@./scripts/compare-lua.sh $(BUILD)

# The BASIC compiler: compiling a generated 50,000-line program, and the loops of bench/basic/
# compiled, against their hand-written assembly, bwbasic, yabasic and Lua 5.4.
compare-basic: build
	@./scripts/compare-basic.sh $(BUILD)

compare-dd: build
	@./scripts/compare-dd.sh $(BUILD)

compare-socat: build
	@./scripts/compare-socat.sh $(BUILD)
# 100,000 rows fetched through ODBC from SQLite, against isql.
compare-odbc: build
	@./scripts/compare-odbc.sh $(BUILD)

# 100,000 lines, 10,000 box fills and 10,000 console lines in B-code, against the same host raster
# calls made directly from C++.
compare-drawing: build
	@./scripts/compare-drawing.sh $(BUILD)

# Builds the demo program and binds it to the engine. On a desktop (DISPLAY set and
# QUILLET_BACKEND not headless) it runs in a window; otherwise headless with one scripted key,
# writing PNG snapshots of its window, whose paths it prints with the debug log.
demo: build
	@mkdir -p $(BUILD)/demo
	@$(BUILD)/bin/quillet asm examples/demo.qba -o $(BUILD)/demo/demo.img
	@$(BUILD)/bin/quillet bind $(BUILD)/bin/quillet-engine $(BUILD)/demo/demo.img -o $(BUILD)/demo/demo
	@./scripts/run-demo.sh $(BUILD)/demo

format:
	@find src tools tests bench fuzz examples -name '*.cpp' -o -name '*.h' 2>/dev/null | \
		xargs clang-format -i

clean:
	rm -rf $(BUILD)
