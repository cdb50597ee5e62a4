# How far the demo's script runs from its sound: the demo plays the click module into a null
# sink, record_onsets times every click as it leaves the sink, and each applied Z14 in the
# trace is paired with its click. Sourced after lib.bash and sound_servers.bash; used by
# tools/av_offset.sh.

# The demo's stream latency as the server reports it, in ms: "buffer sink" (pactl's Buffer
# Latency and Sink Latency of the first sink input), or nothing while there is none.
demo_stream_latency() {
    LC_ALL=C pactl list sink-inputs 2>/dev/null | awk '
        /Buffer Latency:/ && !b { b = $3 / 1000 }
        /Sink Latency:/ && !s { s = $3 / 1000; printf "%.3f %.3f\n", b, s; exit }'
}

# Prints "applied - click" in ms for every applied Z14 of trace $1 that has a click among the
# onsets in file $2 (lines "<ms> onset ..."); with $3 = heard, "heard - click" instead: the
# music clock's own error, without the time the main loop took to apply the event. The
# clicks' irregular gaps make one offset line up most pairs: the most common difference (in
# 2 ms bins, within 1 s) is found first, then each event takes the onset nearest to it
# within 100 ms of that offset. With $3 = pairs, "song-ms onset-ms" of each pair instead.
pair_clicks() {
    awk -v field="${3:-applied}" '
        FNR == NR { if ($2 == "onset") onset[++n] = $1; next }
        $2 == "sync" && $3 == "Z14" {
            for (i = 4; i < NF; i++) {
                if ($i == (field == "pairs" ? "applied" : field)) applied[++m] = $(i + 1)
                if ($i == "song") song[m + 1] = $(i + 1) * 1000
            }
        }
        END {
            for (j = 1; j <= m; j++)
                for (i = 1; i <= n; i++) {
                    d = onset[i] - applied[j]
                    if (d > -1000 && d < 1000) votes[int((d + 1000) / 2)]++
                }
            best = -1
            for (b in votes) if (best < 0 || votes[b] > votes[best]) best = b
            if (best < 0) exit
            shift = best * 2 - 1000 + 1
            for (j = 1; j <= m; j++) {
                pick = 0
                for (i = 1; i <= n; i++) {
                    e = onset[i] - applied[j] - shift
                    if (e < 0) e = -e
                    if (e <= 100 && (!pick || e < bestE)) { pick = i; bestE = e }
                }
                if (pick && field == "pairs") printf "%.3f %.3f\n", song[j], onset[pick]
                else if (pick) printf "%.3f\n", applied[j] - onset[pick]
            }
        }' "$2" "$1"
}

# The sound lost at the sink, from "song-ms onset-ms" pairs in order on standard input: each
# click came later after the one before than the song says by the silence played between
# them. Prints "intervals-with-a-gap total-ms longest-ms" (a gap: over 2 ms).
sink_gaps() {
    awk 'NR > 1 { d = ($2 - o) - ($1 - s); if (d > 2) { n++; t += d; if (d > m) m = d } }
        { s = $1; o = $2 }
        END { printf "%d %.1f %.1f\n", n, t, m }'
}

# "p5 p50 p95 min max" of the numbers on standard input, or nothing without any.
percentiles() {
    grep . | sort -g | awk '
        { v[NR] = $1 }
        function at(q) { i = int(q * (NR - 1) + 0.5) + 1; return v[i] }
        END { if (NR) printf "%.2f %.2f %.2f %.2f %.2f\n", at(0.05), at(0.5), at(0.95), v[1], v[NR] }'
}
