# Shared by the end-to-end scripts that drive the programs on a virtual X server; sourced
# after `work` (a scratch folder) and `out` (where screenshots go) are set, and `plugin`
# (the test mixer plugin).

# A runtime folder of the run's own: the main program's one-at-a-time socket lives there,
# so a Reelvista the user has open elsewhere does not take the run's start over.
export XDG_RUNTIME_DIR=$work

# The test mixer device, the speakers unmuted; ALSA_CONFIG_PATH points every program at it.
state=$work/mixer.state
use_test_mixer() {
    printf '# reelvistatest mixer state\nMaster Playback Switch=1\n' >"$state"
    cat >"$work/asound.conf" <<CONF
ctl_type.reelvistatest { lib "$plugin" }
ctl.!default { type reelvistatest state "$state" }
pcm.!default { type plug slave.pcm { type null } }
CONF
    export ALSA_CONFIG_PATH=$work/asound.conf
}
mute_is() { grep -q "^Master Playback Switch=$1\$" "$state"; }

fail() {
    echo "FAIL: $*"
    import -window root "$out/failure.png" 2>/dev/null || true
    xwininfo -root -tree >"$out/failure-windows.txt" 2>&1 || true
    exit 1
}
# Runs a test until it holds, for up to 15 s.
waitfor() {
    local what=$1
    shift
    for _ in $(seq 150); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}
