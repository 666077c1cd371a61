# The two commands of the README, and the pieces they are made of.
#   make demo     install missing packages, build, render the demo signal
#                 through the plug-in with three settings into out/
#   make test     install missing packages, build, run every test (also under
#                 the address/undefined sanitizers, and the threading tests
#                 under the thread sanitizer)
#   make install  copy corvane.so to ~/.vst (or $VST_PATH)

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps build demo test test-release test-asan test-tsan bench install clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/corvane-host demo out

test: test-release test-asan test-tsan

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TSAN=ON -DCORVANE_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -L threads

bench: build
	@for b in $(BUILD)/bench/*/*_bench; do [ -x "$$b" ] && "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

install: build
	@dest="$${VST_PATH:-$$HOME/.vst}"; dest="$${dest%%:*}"; mkdir -p "$$dest" && cp $(BUILD)/corvane.so "$$dest/" && echo "Installed corvane.so in $$dest"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) out
