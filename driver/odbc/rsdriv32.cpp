// The driver's resource library. The driver loads it at start and will not
// run without it; the connect dialog's template is its only content to come.
