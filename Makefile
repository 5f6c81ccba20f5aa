# The two commands a newcomer needs: `make run` and `make test`.
# Everything builds out of tree under build/.

JOBS       ?= $(shell nproc)
MAKEFLAGS  += --no-print-directory
BUILD      := build
CMAKE_GEN  := cmake -S . -G "Unix Makefiles"
WERROR     := $(if $(CI),-DVELMORA_WERROR=ON,)
PLUGINS    := $(BUILD)/release/corvane-velmora-xy3-2d.so $(BUILD)/release/corvane-velmora-xy3-2d-ambix.so
VST_DIR    := $(or $(firstword $(subst :, ,$(VST_PATH))),$(HOME)/.vst)
LV2_BUNDLE := $(BUILD)/release/corvane-velmora-xy3-2d.lv2
LV2_DIR    := $(or $(firstword $(subst :, ,$(LV2_PATH))),$(HOME)/.lv2)
CONFIGURE_RELEASE := $(CMAKE_GEN) -B $(BUILD)/release -DCMAKE_BUILD_TYPE=Release $(WERROR) >/dev/null

.PHONY: all deps release windows run test bench fuzz install dist clean

all: release

deps:
	@scripts/install-deps.sh

# The Linux plug-ins, and the Windows ones where the cross compiler is
# installed (build/windows; one line says so where it is not).
release: deps
	@$(CONFIGURE_RELEASE)
	@cmake --build $(BUILD)/release -j $(JOBS)
	@scripts/build-windows.sh $(BUILD)/windows

windows: deps
	@scripts/build-windows.sh $(BUILD)/windows

# The main job on its built-in default: a short demonstration render. It
# needs only the plug-in and velmora; the LV2 bundle is built beside them, so
# that every plug-in a user may load is there after it.
run: deps
	@$(CONFIGURE_RELEASE)
	@cmake --build $(BUILD)/release -j $(JOBS) --target velmora_vst velmora_vst_ambix velmora_lv2 velmora
	@scripts/run-demo.sh $(BUILD)/release

test: deps
	@scripts/run-tests.sh

bench: deps
	@$(CMAKE_GEN) -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_HOST=OFF -DVELMORA_BENCH=ON >/dev/null
	@cmake --build $(BUILD)/bench -j $(JOBS)
	@$(BUILD)/bench/bench/velmora_bench
	@scripts/bench-windows.sh

fuzz: deps
	@scripts/run-fuzz.sh $(or $(FUZZ_SECONDS),600)

# Both VST 2.x plug-ins, FuMa outputs (corvane-velmora-xy3-2d.so) and AmbiX
# outputs (corvane-velmora-xy3-2d-ambix.so), and the LV2 bundle that holds
# both as LV2 plug-ins. A bundle installed before is replaced whole.
install: deps
	@$(CONFIGURE_RELEASE)
	@cmake --build $(BUILD)/release -j $(JOBS) --target velmora_vst velmora_vst_ambix velmora_lv2
	@mkdir -p "$(VST_DIR)"
	@cp $(PLUGINS) "$(VST_DIR)/"
	@echo "installed $(notdir $(PLUGINS)) into $(VST_DIR)"
	@mkdir -p "$(LV2_DIR)"
	@rm -rf "$(LV2_DIR)/$(notdir $(LV2_BUNDLE))"
	@cp -r $(LV2_BUNDLE) "$(LV2_DIR)/"
	@echo "installed $(notdir $(LV2_BUNDLE)) into $(LV2_DIR)"

# A zip of both Windows plug-ins and a short text on installing them.
dist: deps
	@scripts/make-dist.sh $(BUILD)

clean:
	rm -rf $(BUILD)
