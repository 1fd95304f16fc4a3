# make run       - install what building and running need, build, start the program
# make test      - install what the tests need too, build, run every test (plain and sanitized builds)
# make install   - install for the current user under ~/.local (PREFIX=... to change), no root needed
# make uninstall - remove what make install put there (test.wav stays)
# make bench     - build optimised and run the benchmarks
# make format / make lint - clang-format and clang-tidy on the project's sources
# make screenshots - both windows as PNG at 100 % and 200 % into docs/
# make package   - the portable archive build/package/Quenbrix-1.00-Linux-x86_64.tar.gz
# The Debian packages each step needs are listed in scripts/packages-*.txt.

BUILD       ?= build
ASAN_BUILD  ?= build-asan
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX      ?= $(HOME)/.local
LAUNCHER    := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CONFIGURE    = cmake -S . -B $(BUILD) -DQUENBRIX_WERROR=ON $(LAUNCHER)
# The program alone: no test or packaging tool is needed to configure it.
PROGRAM_ONLY = -DQUENBRIX_BUILD_TESTS=OFF -DQUENBRIX_BUILD_BENCH=OFF

.PHONY: all deps-run deps-test deps-bench configure build run test test-plain test-asan bench \
        format format-check lint screenshots package install uninstall clean

all: build

deps-run:
	@scripts/install-deps run

deps-test:
	@scripts/install-deps run test

deps-bench:
	@scripts/install-deps run bench

configure: deps-run
	$(CONFIGURE) $(PROGRAM_ONLY) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/qt/app/quenbrix

test: deps-test format-check test-plain test-asan test-windows

test-plain: deps-test
	$(CONFIGURE) -DQUENBRIX_BUILD_TESTS=ON -DQUENBRIX_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps-test
	cmake -S . -B $(ASAN_BUILD) -DQUENBRIX_WERROR=ON -DQUENBRIX_SANITIZE=ON \
	      -DQUENBRIX_BUILD_TESTS=ON -DQUENBRIX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
	      $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE no-sanitizer

bench: deps-bench
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUENBRIX_BUILD_TESTS=OFF $(LAUNCHER)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target quenbrix_bench
	$(BENCH_BUILD)/bench/quenbrix_bench

format: deps-test
	scripts/format fix

format-check: deps-test
	scripts/format check

lint: deps-test
	$(CONFIGURE) -DQUENBRIX_BUILD_TESTS=ON -DQUENBRIX_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)
	run-clang-tidy -p $(BUILD) -quiet -j $(JOBS) \
	    '^$(CURDIR)/(tonegen|qt|cli|tests|bench|tools)/.*\.cpp$$'

screenshots: build
	cmake --build $(BUILD) -j $(JOBS) --target quenbrix_screenshots
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 $(BUILD)/qt/tools/screenshots/quenbrix_screenshots docs
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/qt/tools/screenshots/quenbrix_screenshots docs

package: build
	cd $(BUILD) && cpack -G TGZ
	@ls $(BUILD)/package/*.tar.gz

install: build
	scripts/user-install install "$(BUILD)" "$(PREFIX)"

uninstall:
	scripts/user-install uninstall "$(PREFIX)"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)

include packaging/windows/windows.mk
