# The README's commands. Each one installs what is missing, configures and builds.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test test-asan test-tsan fuzz bench package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: start it under a virtual one with  xvfb-run -a $(BUILD)/src/corvane"; exit 1; \
	fi
	@$(BUILD)/src/corvane

test: build
	@scripts/install-deps --print
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a
# build of its own (the print test included, hence its packages).
test-asan: deps
	@scripts/install-deps --print
	@cmake -S . -B $(BUILD)-asan -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure --no-tests=error -j $(JOBS)

# The tests that run the window and its worker threads, under ThreadSanitizer.
# Qt is not built for it and its own locks (futexes) are invisible to it, so
# the sanitizer's interceptors ignore calls made from inside Qt's libraries
# (ignore_noninstrumented_modules); every access our own code makes is checked.
# Left out: tst_hostile and tst_print start processes from a threaded process,
# which the sanitizer does not support.
TSAN_TESTS ?= tst_pattern|tst_filenames|tst_folderreader|tst_itemlist|tst_documents|tst_form1|tst_foldertree|tst_editing|tst_navigation|tst_shaping|tst_output|tst_accessibility|tst_answers|tst_faults|tst_folderjob|tst_translations
test-tsan: deps
	@cmake -S . -B $(BUILD)-tsan -DCORVANE_TSAN=ON -DCORVANE_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	@cd $(BUILD)-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1:second_deadlock_stack=1 \
	  ctest --output-on-failure --no-tests=error -j $(JOBS) -R '^($(TSAN_TESTS))$$'

# Each fuzz target for FUZZ_SECONDS, starting from the corpus in fuzz/corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	@scripts/install-deps --fuzz
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF \
	  -DCORVANE_BENCH=OFF >/dev/null
	@for t in $$(ls fuzz/corpus); do \
	  cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_$$t && \
	  mkdir -p $(BUILD)-fuzz/corpus/$$t && \
	  $(BUILD)-fuzz/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    $(BUILD)-fuzz/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

# Speed and memory targets: folders of 10,000, 100,000 and 1,000,000 files;
# the table goes to $(BUILD)/bench/report.txt.
bench: build
	@bench/run-bench $(BUILD)
# The Debian package, built as $(BUILD)/corvane_<version>_<arch>.deb: a build
# of its own that makes only what the package holds (no tests, no benchmarks).
package: deps
	@cmake -S . -B $(BUILD)-package -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD)-package -j $(JOBS) --target package
	@mkdir -p $(BUILD) && cp $(BUILD)-package/corvane_*.deb $(BUILD)/
	@ls $(BUILD)/corvane_*.deb

clean:
	@rm -rf $(BUILD) $(BUILD)-package
