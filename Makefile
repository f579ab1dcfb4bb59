# The two commands of the README: `make show` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps build show test test-normal test-asan bench sheet fuzz video bench-capture check-data
all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

show: build
	./$(BUILD)/show

test: test-normal test-asan

# Every breach of the content rules in data/ (or DATA_DIR=...), one a line.
DATA_DIR ?= data
check-data: build
	./$(BUILD)/showcheck $(DATA_DIR)

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSHOW_SANITIZE=ON -DSHOW_GENERATE_DATA=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# Frame times per scene of the real program under Xvfb at 1024x768, against the
# floor and, with BASE=<git revision>, against that revision, in interleaved
# rounds: $(BUILD)/bench/results/table.txt and bench.png.
BASE ?=
bench: build
	bash bench/bench.sh $(BUILD) $(BASE)

# The whole show as a video, show.mp4: every frame at 1024x768, 60 fps, with the music.
video: build
	./$(BUILD)/capture show.mp4

# Capture speed of the whole show at 1024x768, 60 fps (fps and multiple of real time).
bench-capture: build
	bash bench/capture.sh $(BUILD)

# Contact sheet of the show, rendered offscreen: sheet/sheet.png.
sheet: build
	bash tools/sheet/sheet.sh $(BUILD) sheet/sheet.png

# Fuzzes scene loading and drawing (FUZZ_TARGET=lib3ds_fuzz: the chunk walk
# against lib3ds alone, fast): make fuzz FUZZ_SECONDS=600 FUZZ_JOBS=2
FUZZ_TARGET ?= scene_fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 1
fuzz: build
	FUZZ_JOBS=$(FUZZ_JOBS) bash tests/fuzz/run.sh $(FUZZ_TARGET) $(FUZZ_SECONDS) $(BUILD)/fuzz/$(FUZZ_TARGET) $(BUILD)/tests/fuzz/robust_fuzzseeds
